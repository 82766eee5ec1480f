#!/usr/bin/env bash
# Fuzzes every reader for a bounded time: configures a clang build with
# libFuzzer, ASan and UBSan (build-fuzz/), builds the fuzz targets and runs
# each on its seed corpus in fuzz/corpus/<corpus>/. New inputs go to scratch
# corpora, so the checked-in seeds stay as they are.
#   FUZZ_SECONDS  run time per corpus (default 25)
#   FUZZ_BUILD    build folder (default build-fuzz)
#   FUZZ_ONLY     run only this corpus (e.g. obj)
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds="${FUZZ_SECONDS:-25}"
build="${FUZZ_BUILD:-build-fuzz}"

if ! command -v clang++-14 >/dev/null; then
  echo "fuzz: clang++-14 is not installed" >&2
  exit 1
fi

# corpus folder -> target; glTF and GLB share a reader, as do both PLY encodings.
declare -A targets=(
  [scene]=scene_fuzz [obj]=obj_fuzz [ply-ascii]=ply_fuzz [ply-binary]=ply_fuzz
  [gltf]=gltf_fuzz [glb]=gltf_fuzz [png]=png_fuzz
)

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVANE_FUZZ=ON -DQUORVANE_WERROR=ON -DQUORVANE_BUILD_TESTS=OFF -DQUORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target $(printf '%s\n' "${targets[@]}" | sort -u)

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# -rss_limit_mb keeps a hostile input from eating the machine; each input is
# capped in size so one run sees many of them. Failing inputs are kept in
# $build/fuzz-artifacts/ for replay: "$build/bin/<target> FILE".
mkdir -p "$build/fuzz-artifacts"
for corpus in scene obj ply-ascii ply-binary gltf glb png; do
  [[ -n "${FUZZ_ONLY:-}" && "$FUZZ_ONLY" != "$corpus" ]] && continue
  target="${targets[$corpus]}"
  mkdir -p "$scratch/$corpus"
  echo "fuzz: $target on fuzz/corpus/$corpus for ${seconds}s"
  log="$scratch/$corpus.log"
  status=0
  "$build/bin/$target" "$scratch/$corpus" "fuzz/corpus/$corpus" -artifact_prefix="$build/fuzz-artifacts/$corpus-" \
    -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=20 -print_final_stats=1 \
    >"$log" 2>&1 || status=$?
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log" | sed "s/^/fuzz: $corpus: /" || true
  if [[ "$status" != 0 ]]; then
    tail -n 40 "$log" >&2
    echo "fuzz: $target failed on corpus $corpus (exit $status); see $build/fuzz-artifacts/" >&2
    exit 1
  fi
done
