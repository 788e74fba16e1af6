#!/usr/bin/env bash
# The window's handler times and loop latency while the picture scan runs on a large file
# (bench/pictures_latency.cpp), with the keyboard and the pointer busy the whole time.
#
#   bench/pictures_latency.sh [--size MIB] [--after SECONDS] [--harness PATH] [--cli PATH]
#
#   --size MIB      the file to scan (default 1024): programs and libraries of /usr, end to end
#   --after SECONDS how long to go on after the scan's end, for figures without it (default 20)
#   --harness PATH  the pictures_latency program (default: the Release one of build/bench, built
#                   first; with --cli, the one beside that pixelsieve-cli's build)
#
# Starts a private Xvfb, opens the file in the harness, and until the harness ends keeps
# cycling: Down held in the main window, Right held, Down held in the Pictures list, Return
# there, a click on the map, the filter box clicked twice.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
size=1024
after=20
harness=""
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size="$2"; shift ;;
    --after) after="$2"; shift ;;
    --harness) harness="$2"; shift ;;
    --cli) harness="$(dirname "$2")/bench/pictures_latency"; shift ;;
    -h|--help) sed -n '2,15p' "$0"; exit 0 ;;
    *) echo "pictures_latency: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done
if [ -z "$harness" ]; then
  cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPIXELSIEVE_TESTS=OFF \
    -DPIXELSIEVE_BENCH=ON >/dev/null
  cmake --build "$root/build/bench" --target pictures_latency >/dev/null
  harness="$root/build/bench/bench/pictures_latency"
fi

work="$(mktemp -d)"
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
find /usr/lib/x86_64-linux-gnu /usr/bin /usr/libexec -maxdepth 2 -type f -size +64k -print0 2>/dev/null | sort -z |
  xargs -0 cat 2>/dev/null | head -c "$((size << 20))" >"$work/large.bin" || true
echo "file: $(($(stat -c %s "$work/large.bin") >> 20)) MiB of /usr/lib and /usr/bin"

Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do grep -q '^[0-9]' "$work/display" 2>/dev/null && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display" | tr -dc 0-9)" QT_QPA_PLATFORM=xcb
"$harness" "$work/large.bin" 600 "$after" >"$work/out.txt" 2>&1 &
program=$!

window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }
until [ -n "$(window '^Pictures$')" ] || ! kill -0 $program 2>/dev/null; do sleep 0.2; done
main=$(window '^Pixelsieve 2c')
pictures=$(window '^Pictures$')
while kill -0 $program 2>/dev/null; do
  eval "$(xdotool getwindowgeometry --shell "$pictures")"
  xdotool windowfocus "$main" 2>/dev/null; hold Down 1; hold Right 0.3
  xdotool windowfocus "$pictures" 2>/dev/null; hold Down 1; hold Return 0.1
  xdotool mousemove $((X + 540)) $((Y + RANDOM % 500 + 10)) click 1
  xdotool mousemove $((X + 20)) $((Y + 555)) click 1 sleep 0.3 click 1
done 2>/dev/null || true
wait $program || true
cat "$work/out.txt"
