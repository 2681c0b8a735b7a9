#pragma once
// Where the editor puts its controls, as far as the artwork needs to know: the knob and switch
// cells the captions and value fields line up with, the meters, the button grid and the band.

#include <array>
#include <vector>

namespace artwork::layout
{

struct Cell
{
    int x, y, w, h;
};

constexpr int kCellWidth = 72;
constexpr int kKnobCell = 68;   // knob cells; the knob sits at the top, its value in the bottom 16 rows
constexpr int kSwitchCell = 44; // cells of the two three-position switches
constexpr int kValueBand = 16;

// Oscillator grid columns, left to right, and their heads.
constexpr std::array<int, 8> kOscColumns = {32, 104, 176, 248, 320, 392, 464, 536};
constexpr std::array<const char*, 8> kOscHeads = {"WAVE",      "LEVEL", "ENV DEPTH", "OCTAVE",
                                                  "TRANSPOSE", "CENTS", "PHASE",     "SQR DUTY"};
constexpr std::array<int, 3> kOscRows = {32, 100, 168};
constexpr std::array<int, 2> kNoiseColumns = {104, 176};
constexpr std::array<int, 2> kNoiseRows = {236, 304};
constexpr std::array<int, 5> kEnvColumns = {32, 104, 176, 248, 320};
constexpr std::array<const char*, 5> kEnvHeads = {"ATTACK", "HOLD", "DECAY", "SUSTAIN", "RELEASE"};
constexpr std::array<int, 2> kEnvRows = {404, 472};
constexpr std::array<int, 3> kFilterColumns = {464, 536, 608};
constexpr std::array<const char*, 3> kFilterHeads = {"CUTOFF", "RESONANCE", "ENV DEPTH"};
constexpr std::array<int, 6> kPitchColumns = {320, 392, 464, 536, 608, 680};
constexpr std::array<const char*, 6> kPitchHeads = {"HIGH NOTE", "LOW NOTE", "DURATION",
                                                    "START",     "END",      "CURVE"};
constexpr int kPitchRow = 304;
constexpr int kRightColumn = 752; // output gain, compression and the pitch jump column
constexpr int kCrushColumn = 680;

// Every knob and switch cell of the editor, in parameter order.
std::vector<Cell> ControlCells();

// The two meters side by side, their level texts in the last 16 rows.
constexpr Cell kMeterLeft = {760, 100, 28, 142};
constexpr Cell kMeterRight = {788, 100, 29, 142};
// The grid of large buttons and the history row.
constexpr int kButtonGridX = 153, kButtonGridY = 556, kButtonWidth = 108, kButtonHeight = 50;
constexpr int kHistoryX = 320, kHistoryY = 240, kSmallButtonWidth = 76;
constexpr Cell kIndexDisplay = {548, 240, 55, 30};

// The band with the name plate, which is also where a click opens the about page, and the keyboard.
constexpr int kBandTop = 658;
constexpr int kBandBottom = 707;
constexpr Cell kPlate = {255, 668, 335, 33};

} // namespace artwork::layout
