#!/usr/bin/env bash
# Fuzzes the scene loader for a bounded time: configures a clang build with
# libFuzzer, ASan and UBSan (build-fuzz/), builds only the scene fuzz target
# and runs it on the saved scenes in fuzz/corpus/scene/. New inputs go to a scratch
# corpus, so the checked-in seeds stay as they are.
#   FUZZ_SECONDS  run time (default 60)
#   FUZZ_BUILD    build folder (default build-fuzz)
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds="${FUZZ_SECONDS:-60}"
build="${FUZZ_BUILD:-build-fuzz}"

if ! command -v clang++-14 >/dev/null; then
  echo "fuzz_scene: clang++-14 is not installed" >&2
  exit 1
fi

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVANE_FUZZ=ON -DQUORVANE_WERROR=ON -DQUORVANE_BUILD_TESTS=OFF -DQUORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target scene_fuzz -j2

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# -rss_limit_mb keeps a hostile input from eating the machine; each input is
# capped in size so one run sees many of them. Failing inputs are kept in
# $build/fuzz-artifacts/ for replay: "$build/bin/scene_fuzz FILE".
mkdir -p "$build/fuzz-artifacts"
"$build/bin/scene_fuzz" "$scratch" fuzz/corpus/scene -artifact_prefix="$build/fuzz-artifacts/" \
  -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=20 -print_final_stats=1
