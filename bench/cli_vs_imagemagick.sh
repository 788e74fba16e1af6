#!/usr/bin/env bash
# Whole-process time of drawing 38,400 random bytes into a 600 x 512 PNG: pixelsieve-cli
# against ImageMagick's raw 1-bit reader, on the same bytes, in the same run.
#
#   bench/cli_vs_imagemagick.sh [--runs N] [--cli PATH]
#
#   --cli PATH   the pixelsieve-cli to time (default: a Release build made in build/bench-cli)
#   --runs N     timed runs of each command (default 50, after 5 unmeasured ones)
#
# Prints the mean and median of each, and the ratio of the means; the target is a ratio of at
# most 0.5. Uses hyperfine when it is installed, otherwise a loop timed with date.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs=50
cli=""
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift ;;
    --cli) cli="$2"; shift ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) echo "cli_vs_imagemagick: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done

if [ -z "$cli" ]; then
  build="$root/build/bench-cli"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPIXELSIEVE_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target pixelsieve-cli >/dev/null
  cli="$build/pixelsieve-cli"
fi
# ImageMagick's own binary: a wrapper script in front of it would add a shell's start-up to
# its time.
convert=""
for candidate in /usr/bin/convert "$(command -v convert || true)"; do
  if [ -x "$candidate" ] && "$candidate" -version 2>/dev/null | grep -q ImageMagick; then
    convert="$candidate"
    break
  fi
done
[ -n "$convert" ] || { echo "cli_vs_imagemagick: ImageMagick's convert is missing (scripts/setup installs it)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
head -c 38400 /dev/urandom >"$work/random.bin"
ours=("$cli" render "$work/random.bin" --width 75 -o "$work/ours.png")
theirs=("$convert" -size 600x512 "mono:$work/random.bin" "$work/theirs.png")
"${ours[@]}"
"${theirs[@]}"
echo "pixelsieve-cli: $cli ($("$cli" --version))"
echo "ImageMagick:    $convert ($("$convert" -version | head -n 1))"
echo "Input: 38,400 random bytes; outputs $(stat -c %s "$work/ours.png") and $(stat -c %s "$work/theirs.png") bytes"

if command -v hyperfine >/dev/null; then
  hyperfine -N --warmup 5 --runs "$runs" --export-json "$work/times.json" \
    -n pixelsieve-cli "${ours[*]}" -n imagemagick "${theirs[*]}" >/dev/null
  python3 - "$work/times.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
ours, theirs = results["pixelsieve-cli"], results["imagemagick"]
for name, r in (("pixelsieve-cli", ours), ("imagemagick", theirs)):
    print(f"{name:15} mean {r['mean'] * 1000:7.2f} ms  median {r['median'] * 1000:7.2f} ms  "
          f"(user {r['user'] * 1000:.2f} ms, system {r['system'] * 1000:.2f} ms, {len(r['times'])} runs)")
ratio = ours["mean"] / theirs["mean"]
print(f"ratio of the means: {ratio:.3f}  (median ratio {ours['median'] / theirs['median']:.3f}); "
      f"target at most 0.5: {'met' if ratio <= 0.5 else 'NOT met'}")
PY
else
  # Alternating runs, so that a change in the machine's load falls on both alike.
  for i in $(seq 1 5); do "${ours[@]}"; "${theirs[@]}"; done
  : >"$work/ours.ns"; : >"$work/theirs.ns"
  for i in $(seq 1 "$runs"); do
    start=$(date +%s%N); "${ours[@]}"; echo $(( $(date +%s%N) - start )) >>"$work/ours.ns"
    start=$(date +%s%N); "${theirs[@]}"; echo $(( $(date +%s%N) - start )) >>"$work/theirs.ns"
  done
  python3 - "$work/ours.ns" "$work/theirs.ns" <<'PY'
import statistics, sys
ours, theirs = ([int(l) / 1e6 for l in open(p)] for p in sys.argv[1:3])
for name, t in (("pixelsieve-cli", ours), ("imagemagick", theirs)):
    print(f"{name:15} mean {statistics.mean(t):7.2f} ms  median {statistics.median(t):7.2f} ms  ({len(t)} runs)")
ratio = statistics.mean(ours) / statistics.mean(theirs)
print(f"ratio of the means: {ratio:.3f}  (median ratio {statistics.median(ours) / statistics.median(theirs):.3f}); "
      f"target at most 0.5: {'met' if ratio <= 0.5 else 'NOT met'}")
PY
fi
