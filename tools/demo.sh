#!/usr/bin/env bash
# The main job: installs the plug-ins, renders sounds into out/ and draws the editor.
set -euo pipefail
build_dir=${1:-build}
echo "Built in $build_dir:"
for deliverable in VST3/Brisbleep.vst3/Contents/x86_64-linux/Brisbleep.so VST2/Brisbleep.so cli/brisbleep-render; do
    if [[ -f "$build_dir/$deliverable" ]]; then
        echo "  $build_dir/$deliverable ($(stat -c %s "$build_dir/$deliverable") bytes)"
    fi
done

# The VST3 module goes where hosts look for it (~/.vst3 unless configured otherwise).
if [[ -d "$build_dir/VST3/Brisbleep.vst3" ]]; then
    cmake --install "$build_dir" --component vst3 >/dev/null
    vst3_dir=$(sed -n 's/^BRISBLEEP_VST3_INSTALL_DIR:PATH=//p' "$build_dir/CMakeCache.txt")
    echo "VST3 module installed: ${vst3_dir:-$HOME/.vst3}/Brisbleep.vst3"
fi

# The VST2 plug-in goes where hosts look for it (~/.vst unless configured otherwise).
if [[ -f "$build_dir/VST2/Brisbleep.so" ]]; then
    cmake --install "$build_dir" --component vst2 >/dev/null
    vst2_dir=$(sed -n 's/^BRISBLEEP_VST2_INSTALL_DIR:PATH=//p' "$build_dir/CMakeCache.txt")
    echo "VST2 plug-in installed: ${vst2_dir:-$HOME/.vst}/Brisbleep.so"
fi

# A default note, rendered headless by the command-line renderer.
if [[ -x "$build_dir/cli/brisbleep-render" ]]; then
    mkdir -p out
    "$build_dir/cli/brisbleep-render" -o out/default-note.wav
    echo "Rendered a default note: $(pwd)/out/default-note.wav"
    "$build_dir/cli/brisbleep-render" --note C4 --length 0.5 -o out/editor-note.wav --editor-png out/editor-note.png
    echo "Drew the editor while C4 was held: $(pwd)/out/editor-note.png"
fi

# One seeded sound from each of the editor's sound buttons, and the editor as the last one left it.
if [[ -x "$build_dir/cli/brisbleep-render" ]]; then
    mkdir -p out
    recipes=(coin shoot powerup hit jump blip blade random)
    for recipe in "${recipes[@]}"; do
        extra=()
        [[ $recipe == "${recipes[-1]}" ]] && extra=(--editor-png out/editor.png)
        "$build_dir/cli/brisbleep-render" --recipe "$recipe" --seed 2026 --length 0.4 -o "out/$recipe.wav" \
            "${extra[@]}" | sed -n 's/^  /Rendered a recipe sound: /p'
    done
    echo "Drew the editor after the last recipe: $(pwd)/out/editor.png"
fi
