#!/usr/bin/env bash
# Export speed, by hand (not in CI): the default show's first frames exported
# by `velmora render --video`, then the same frames through FFmpeg's own
# command line with the same encoder settings (x264, libvpx's VP9, the GIF
# palette filters), so that the export can be set beside the encoder alone.
# Needs the `ffmpeg` program.
#   tools/export_speed.sh [BUILD_DIR] [FRAMES [GIF_FRAMES]]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
frames="${2:-500}"
gif_frames="${3:-100}"
cmake --build "$build" --target velmora demo_show >/dev/null
cd "$build/show"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
velmora=../velmora

seconds() {  # seconds COMMAND...: the command's wall-clock time
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; return 1; }
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

# The frames once, losslessly, then as raw pictures for the encoders alone.
"$velmora" render --video "$work/frames.mkv" --frames "$frames" --quiet
ffmpeg -v error -i "$work/frames.mkv" -an -vf scale=1024:512:flags=neighbor -pix_fmt yuv420p -f rawvideo \
    "$work/frames.yuv"
ffmpeg -v error -i "$work/frames.mkv" -an -frames:v "$gif_frames" -pix_fmt bgr0 -f rawvideo "$work/frames.rgb"
raw=(-f rawvideo -pix_fmt yuv420p -s 1024x512 -r 50 -i "$work/frames.yuv" -an -y)

report() {  # report NAME FRAMES OURS ALONE
    printf '%-5s %d frames: export %6.2f s, encoder alone %6.2f s, ratio %.2f\n' "$1" "$2" "$3" "$4" \
        "$(awk -v a="$3" -v b="$4" 'BEGIN { print a / b }')"
}

ours=$(seconds "$velmora" render --video "$work/a.mp4" --frames "$frames" --preset veryfast --crf 18 --quiet --timing)
tail -1 "$work/stderr"
alone=$(seconds ffmpeg -v error "${raw[@]}" -c:v libx264 -preset veryfast -crf 18 "$work/b.mp4")
report mp4 "$frames" "$ours" "$alone"

ours=$(seconds "$velmora" render --video "$work/a.webm" --frames "$frames" --quiet --timing)
tail -1 "$work/stderr"
alone=$(seconds ffmpeg -v error "${raw[@]}" -c:v libvpx-vp9 -deadline realtime -cpu-used 8 -row-mt 1 \
    -tile-columns 2 -crf 24 -b:v 0 "$work/b.webm")
report webm "$frames" "$ours" "$alone"
echo "webm  sizes: export $(stat -c %s "$work/a.webm") bytes, encoder alone $(stat -c %s "$work/b.webm") bytes"

ours=$(seconds "$velmora" render --video "$work/a.gif" --frames "$gif_frames" --quiet --timing)
tail -1 "$work/stderr"
alone=$(seconds ffmpeg -v error -f rawvideo -pix_fmt bgr0 -s 512x256 -r 50 -i "$work/frames.rgb" -y \
    -filter_complex "split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse" "$work/b.gif")
report gif "$gif_frames" "$ours" "$alone"
