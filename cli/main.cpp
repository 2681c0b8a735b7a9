// brisbleep-render: the instrument played headless into an audio file.

#include "cli/AudioFile.h"
#include "cli/ParamSettings.h"
#include "cli/Render.h"
#include "cli/RenderOptions.h"
#include "cli/SoundBatch.h"
#include "cli/StagedFiles.h"
#include "cli/StateFile.h"
#include "cli/StopSignal.h"

#include "editor/IEditorSnapshot.h"
#include "editor/IGraphics.h"
#include "instrument/Brisbleep.h"

#include "engine/Random.h"

#include <iostream>
#include <memory>
#include <random>

namespace
{

constexpr const char* kProgram = "brisbleep-render";

int Fail(const std::string& message)
{
    std::cerr << kProgram << ": " << message << '\n';
    return 1;
}

std::vector<const IParameter*> Parameters(const Brisbleep& instrument)
{
    std::vector<const IParameter*> params;
    for (int i = 0; i < instrument.NParams(); ++i)
        params.push_back(instrument.GetParam(i));
    return params;
}

int Run(int argc, char** argv)
{
    RenderOptions options;
    const ParseOutcome parsed = ParseRenderOptions(argc, argv, options);
    if (parsed.kind == ParseOutcome::Done) return 0;
    if (parsed.kind == ParseOutcome::Failed) return Fail(parsed.message);
    InstallStopHandlers();
    // With the audio on standard output, everything else the renderer says goes to standard error.
    std::ostream& info = IsStandardOutput(options.output) ? std::cerr : std::cout;
    if (!options.listParams && UsesGeneration(options)) return RunGeneration(options, info, std::cerr);

    auto instrument = std::make_unique<Brisbleep>(OfflineHostContext{});
    const std::vector<const IParameter*> params = Parameters(*instrument);
    if (options.listParams)
    {
        PrintParameterList(std::cout, params);
        return 0;
    }

    std::string error;
    if (!options.statePath.empty() && !LoadStateFile(*instrument, options.statePath, error, options.program))
        return Fail(error);
    for (const std::string& setting : options.settings)
    {
        const auto assignment = ParseAssignment(setting, params, error);
        if (!assignment) return Fail(error);
        instrument->SetParameterValue(assignment->index, assignment->value);
    }

    // Every output is created before the render, so that a path that cannot be written is reported
    // at once, and all of them appear together only when the whole run succeeded.
    StagedFiles files(options.noClobber);
    TemporaryFile* audio = nullptr;
    TemporaryFile* state = nullptr;
    TemporaryFile* editorPng = nullptr;
    if (!options.output.empty() && !(audio = files.Add(options.output, error))) return Fail(error);
    if (!options.saveStatePath.empty() && !(state = files.Add(options.saveStatePath, error)))
        return Fail(error);
    if (!options.editorPngPath.empty() && !(editorPng = files.Add(options.editorPngPath, error)))
        return Fail(error);

    TemporaryFile* json = nullptr;
    if (!options.saveJsonPath.empty() && !(json = files.Add(options.saveJsonPath, error))) return Fail(error);

    if (state && !SaveStateFile(*instrument, *state, error)) return Fail(error);
    if (json && !SaveStateTextFile(*instrument, *json, error)) return Fail(error);
    if (options.printState) std::cout << StateText(*instrument);
    std::string editorError;
    bool editorDrawn = false;
    const auto drawEditor = [&]
    {
        if (!instrument->editorGraphics) instrument->CreateEditor();
        editorError = WriteStagedEditorPng(*instrument->editorGraphics, *editorPng);
        editorDrawn = true;
    };
    if (!audio)
    {
        if (editorPng) drawEditor();
        if (!editorError.empty()) return Fail(editorError);
        error = files.CommitAll();
        return error.empty() ? 0 : Fail(error);
    }

    std::function<void()> beforeNoteOff;
    if (editorPng)
    {
        // Built before the note so that the meters follow the whole render.
        if (!instrument->editorGraphics) instrument->CreateEditor();
        beforeNoteOff = drawEditor;
    }
    // Noise draws from the generator, which the instrument seeded from the clock: seed it from the
    // system's entropy source instead, and say so if the sound used it.
    const std::uint32_t seed = std::random_device{}();
    RandomSeed(seed);
    const auto stopped = []
    {
        std::cerr << kProgram << ": stopped by " << StopSignalName(StopSignal()) << "; no file written\n";
        return StopStatus(StopSignal());
    };
    RenderResult result = RenderNote(*instrument, options, beforeNoteOff);
    if (result.stopped) return stopped();
    if (GeneratorUsedSince(seed)) PrintRandomSeed(info, seed);
    if (beforeNoteOff && !editorDrawn) drawEditor(); // the render ended before any note-off
    if (!editorError.empty()) return Fail(editorError);
    const std::string levelNote =
        ApplyLevels(result.interleaved, options.channels, options.rate, options.levels, error);
    if (!levelNote.empty())
        std::cerr << kProgram << ": note: \"" << options.output << "\" " << levelNote << '\n';
    if (error.empty())
        error = WriteAudioFile(*audio, options.format, options.encoding, options.rate, options.channels,
                               result.interleaved);
    // A stop asked for before the files are in place keeps them out; one that interrupts the wait
    // for a FIFO's reader fails the commit.
    if (error.empty() && StopSignal() == 0) error = files.CommitAll();
    if (StopSignal() != 0) return stopped();
    if (!error.empty()) return Fail(error);
    if (result.tailCut)
        std::cerr << kProgram
                  << ": note: the sound was still playing after --max-tail; the file ends there\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try
    {
        return Run(argc, argv);
    }
    catch (const std::exception& e)
    {
        return Fail(e.what());
    }
}
