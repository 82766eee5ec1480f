#!/usr/bin/env bash
# Makes the rock picture set in docs/rocks/ and prints the inspect table of
# docs/noise.md: the default rock and one rock per noise type (the types of
# docs/noise.md, then the ridged multifractal and the simple noise), each
# from three views with the host's preview renderer.
#
#   bash scripts/make_rock_pictures.sh [BUILD_DIR]
set -euo pipefail

readonly root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
readonly quorvane="${1:-${root}/build}/bin/quorvane"
readonly out="${root}/docs/rocks"
readonly work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT
mkdir -p "${out}"

labels=()
while IFS= read -r label; do labels+=("${label}"); done < <(
  sed -n 's/^| [0-9]* | \([^|]*\) | .*$/\1/p' "${root}/docs/noise.md" | sed 's/ *$//')
labels+=("Ridged Multifractal" "Simple Noise")

# figures FILE: "folded, turned, self-intersections, size x"
figures() {
  "${quorvane}" inspect "$1" | awk -F': ' '
    /^folded edges/ {f=$2} /^turned faces/ {t=$2} /^self-intersecting/ {s=$2}
    /^size \(m\)/ {split($2, a, " "); x=a[1]}
    END {printf "%s | %s | %s | %s", f, t, s, x}'
}

echo "| Type | Folded edges (4) | Turned faces (4) | Self-intersections (4) | Size x m (4) | Folded edges (6) | Turned faces (6) | Self-intersections (6) |"
echo "|---|---|---|---|---|---|---|---|"
for label in "" "${labels[@]}"; do
  name="${label:-default}"
  slug="$(echo "${name}" | tr 'A-Z ' 'a-z-')"
  set_type=()
  [[ -n "${label}" ]] && set_type=(--set "layer1.Noise Type=${label}")
  if ! "${quorvane}" rock "${set_type[@]}" --out "${work}/s4.obj" \
    --preview "${out}/${slug}.png" --preview-view all --preview-size 240 >/dev/null 2>&1; then
    echo "| ${label} | not in the generator's menu |||||||"
    continue
  fi
  "${quorvane}" rock "${set_type[@]}" --set OXROCK_SUBDIVISIONS=6 --out "${work}/s6.obj" >/dev/null 2>&1
  four="$(figures "${work}/s4.obj")"
  six="$(figures "${work}/s6.obj" | cut -d'|' -f1-3)"
  echo "| ${label:-Default rock (Electric)} | ${four} | ${six} |"
done
