#!/usr/bin/env bash
# make test-windows: the cross-built suites under Wine (ctest in the Windows build tree), then the
# determinism table: brisbleep-render.exe under Wine and the Linux brisbleep-render render the same demo
# set to 32-bit float WAV, and the files are compared byte for byte (with the largest sample difference
# of those that differ). The table is printed and kept in <windows-build>/determinism.txt; it measures,
# it does not fail (only a render or a comparison that cannot be done fails).
#
#   tools/test-windows.sh <windows-build-dir> <linux-build-dir>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
jobs=${JOBS:-2}

ctest --test-dir "$win" --output-on-failure --parallel "$jobs"

render_linux=$linux/cli/brisbleep-render
compare=$linux/tools/wav-compare/brisbleep-wav-compare
for program in "$render_linux" "$compare" "$win/cli/brisbleep-render.exe"; do
    [[ -x "$program" ]] || { echo "test-windows: $program is missing (make build, make windows)" >&2; exit 1; }
done

# The demo set: the default note, every recipe at a fixed seed, and a heavy patch (every source, both
# filters swept, a curved glide, a pitch jump, compression) on a low note.
heavy=(--seed 99 --note 45 --length 0.6
    --set 1=3 --set 2=6 --set 3=2 --set 4=0 --set 5=-6 --set 6=-6 --set 7=-12 --set 8=-12 --set 10=-1
    --set 17=7 --set 20=0.3 --set 27=0.5 --set 36=0.8 --set 37=-1 --set 38=0.5 --set 39=2.5
    --set 40=2500 --set 41=2.5 --set 42=0.6 --set 43=300 --set 44=1.2 --set 45=-0.4 --set 46=0.7
    --set 47=7 --set 48=0.1 --set 49=0.2 --set 51=0.05 --set 52=0.01 --set 53=0.3 --set 54=0.2 --set 55=0.4)
cases=(default coin shoot powerup hit jump blip blade random heavy)
arguments() {
    case $1 in
    default) ;;
    heavy) printf '%s\n' "${heavy[@]}" ;;
    *) printf '%s\n' --recipe "$1" --seed 1234 ;;
    esac
}

out=$win/determinism
rm -rf "$out"
mkdir -p "$out/linux" "$out/windows"
table=$win/determinism.txt
identical=0
largest=0
{
    printf '%-8s  %-10s  %s\n' case result "max |difference| (first differing frame)"
    for name in "${cases[@]}"; do
        mapfile -t args < <(arguments "$name")
        "$render_linux" "${args[@]}" --bits 32f -o "$out/linux/$name.wav" >/dev/null 2>&1 ||
            { echo "test-windows: the Linux render of $name failed" >&2; exit 1; }
        "$root/tools/wine-run.sh" "$win" "$win/cli/brisbleep-render.exe" "${args[@]}" --bits 32f \
            -o "Z:$out/windows/$name.wav" >/dev/null 2>&1 ||
            { echo "test-windows: the Windows render of $name failed" >&2; exit 1; }
        read -r verdict frames diff first < <("$compare" "$out/linux/$name.wav" "$out/windows/$name.wav")
        if [[ "$verdict" == identical ]]; then
            identical=$((identical + 1))
            printf '%-8s  %-10s\n' "$name" identical
        else
            printf '%-8s  %-10s  %s (%s)\n' "$name" differs "$diff" "$first"
            largest=$(awk -v a="$largest" -v b="$diff" 'BEGIN { print (b + 0 > a + 0) ? b : a }')
        fi
    done
    echo "byte-identical: $identical of ${#cases[@]}; largest difference of the others: $largest"
} | tee "$table"
