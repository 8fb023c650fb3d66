#!/bin/sh
# The clipboard with another program on a real X display (run under xvfb-run):
#   1. kavrin-clip copies a picture with layer attributes; xclip lists the bitmap, the PNG and
#      the attributes, and the PNG it reads has the copied pixels, alpha included;
#   2. a PNG put by xclip pastes with those pixels, opaque.
# Arguments: the kavrin-clip program, the picture (a PNG with alpha), a folder for the outputs.
set -eu
tool=$1
picture=$2
out=$3
mkdir -p "$out"
export QT_QPA_PLATFORM=xcb

"$tool" copy "$picture" --title layer --mode 3 --opacity 200 --hold 30 >"$out/copy.log" &
copier=$!

targets=""
tries=0
while [ $tries -lt 100 ]; do
  targets=$(xclip -o -selection clipboard -t TARGETS 2>/dev/null || true)
  case "$targets" in *application/x-kavrin-qzLayerAttr*) break ;; esac
  tries=$((tries + 1))
  sleep 0.1
done
printf '%s\n' "$targets" >"$out/targets.txt"
for want in image/bmp image/png application/x-kavrin-qzLayerAttr; do
  if ! grep -qx "$want" "$out/targets.txt"; then
    echo "the clipboard does not offer $want; it offers:"
    cat "$out/targets.txt"
    kill "$copier" 2>/dev/null || true
    exit 1
  fi
done

xclip -o -selection clipboard -t image/png >"$out/copied.png"
"$tool" compare "$picture" "$out/copied.png"

# xclip takes the clipboard over: the copier sees that and ends.
xclip -i -selection clipboard -t image/png "$picture" >/dev/null 2>&1
wait "$copier"
grep -q "taken over" "$out/copy.log"

"$tool" paste "$out/pasted.png"
"$tool" compare --opaque "$picture" "$out/pasted.png"
