#!/usr/bin/env bash
# Builds Kestro in Release into build-release/ and runs every benchmark, printing one table:
# benchmark figure, value, unit. Extra arguments go to `kestro-bench page` (e.g. --lines 20000).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/deps.sh"
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build-release" --parallel "$(nproc)" --target kestro-bench >&2

[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
bench="$root/build-release/bench/kestro-bench"
display() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }

{
  "$bench" twitch
  "$bench" twitch --parse-only
  "$bench" goodgame
  "$bench" donationalerts
  "$bench" vkvideo
  "$bench" relay
  "$bench" overlay
  display "$bench" page "$@"
  display "$bench" startup --runs 5
  display "$bench" idle
  # A busy chat in the real window: figures are prefixed with the rate.
  for run in "10 60" "100 60" "30 300"; do
    set -- $run
    display "$bench" window --rate "$1" --seconds "$2" | sed "s/^window\./window.$1_per_s./"
  done
  # The same on a real channel's mix, its images served on loopback and unreachable; five
  # minutes each, so that every rate runs with the page full (1,000 lines and more).
  for images in served unreachable; do
    for rate in 10 30 100; do
      display "$bench" window --rate "$rate" --seconds 300 --mix "$root/bench/data/window-mix.txt" \
        --images "$images" | sed "s/^window\./window.mix_${images}.${rate}_per_s./"
    done
  done
} 2>/dev/null | awk 'BEGIN { printf "%-36s %12s  %s\n", "figure", "value", "unit" }
                     { printf "%-36s %12s  %s\n", $1, $2, $3 }'
