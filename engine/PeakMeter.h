#pragma once

// The two smoothed output levels handed to the meter controls once per block.
struct PeakLevels
{
    double left = 0.0;
    double right = 0.0;
};

// Block peak meter for the left and right outputs. Levels are linear peak amplitudes, smoothed
// per block with one weight for rising and one for falling levels.
class PeakMeter
{
public:
    virtual ~PeakMeter() = default;

    void ResetPeaks();
    // Folds one output frame into the block peaks; a NaN sample leaves its peak unchanged.
    void AddSamples(double left, double right);
    // One smoothing step per side; the peak fields take the new levels.
    PeakLevels UpdateLevels();

    double levelLeft = 0.0;
    double levelRight = 0.0;
    double peakLeft = 0.0;
    double peakRight = 0.0;
    double attack = 0.7;
    double release = 0.5;

private:
    double Smooth(double level, double peak) const;
};
