#!/usr/bin/env bash
# Makes the preset scene files in presets/scenes/ and their pictures in
# docs/presets/. Each preset is a Quorvane Maker over a box: the generator is
# set up with `quorvane rock`, then the box's size, segments and the Phong
# angle are written into the saved scene (the command line reaches only the
# generator's own parameters).
#
#   bash scripts/make_presets.sh [BUILD_DIR]
set -euo pipefail

readonly root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
readonly quorvane="${1:-${root}/build}/bin/quorvane"
readonly scenes="${root}/presets/scenes"
readonly pictures="${root}/docs/presets"
readonly work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT
mkdir -p "${scenes}" "${pictures}"

# preset NAME "SX SY SZ" SEGMENTS PHONG_DEGREES COLOURS ROCK_OPTIONS...
# (box size in cm; COLOURS the material's colour gradient as a knot list)
preset() {
  local name=$1 size=$2 segments=$3 phong=$4 colours=$5
  shift 5
  # Mottled stone rather than spots: no cells over the threshold, the
  # turbulence mixed in, finer detail.
  "${quorvane}" rock "$@" --texture --texture-size 8 --texture-set "XQUORVANE_COLOR_GRADIENT=${colours}" \
    --texture-set XQUORVANE_CELL_THRESHOLD=0 --texture-set XQUORVANE_TURBULENCE_MIX=70 \
    --texture-set XQUORVANE_NOISE_SCALE=6 --out "${work}/${name}.glb" --save "${work}/${name}.json" >/dev/null
  python3 - "${work}/${name}.json" "${scenes}/${name}.json" "${name}" "${size}" "${segments}" "${phong}" <<'PY'
import json, math, sys
source, target, name, size, segments, phong = sys.argv[1:7]
scene = json.load(open(source))
generator = scene["objects"][0]
generator["name"] = name.replace("-", " ").title()
box = generator["children"][0]
for entry in box["data"]["entries"]:
    if entry["id"] == 1100:
        entry["value"] = [float(v) for v in size.split()]
    if entry["id"] in (1101, 1102, 1103):
        entry["value"] = int(segments)
for tag in generator.get("tags", []):
    for entry in tag["data"]["entries"]:
        if tag["type"] == 5612 and entry["id"] == 1001:
            entry["value"] = math.radians(float(phong))
with open(target, "w") as out:
    json.dump(scene, out, indent=1)
    out.write("\n")
PY
  "${quorvane}" rock --scene "${scenes}/${name}.json" --out "${work}/${name}.glb" --texture \
    --preview "${pictures}/${name}.png" --preview-view all --preview-size 300
}

# A rounded, lumpy rock about 1.8 m across.
preset boulder "160 130 145" 1 80 "0:#4a4540,0.5:#7d766c,1:#b5ada0" --set OXROCK_SUBDIVISIONS=5 --set OXROCK_NORMALIZE_POINTS=off \
  --add-layer 2 --set layer1.Strength=64 --set "layer1.Overall Scale=80" \
  --set "layer2.Noise Type=fBm" --set layer2.Strength=8 --set "layer2.Overall Scale=16" \
  --set "layer3.Noise Type=Turbulence" --set layer3.Strength=2.5 --set "layer3.Overall Scale=5"
# A small, smooth, slightly irregular stone of 5 cm.
preset pebble "6 3.5 4.5" 1 80 "0:#6d6a66,0.6:#a39e97,1:#d6d1c8" --set OXROCK_SUBDIVISIONS=4 --set layer1.Strength=1.2 \
  --set "layer1.Overall Scale=4" --set OXROCK_SMOOTHING=2
# A flat stone worn smooth by water, 25 cm long.
preset river-stone "30 11 20" 1 80 "0:#2f3336,0.5:#51575b,1:#7c8387" --set OXROCK_SUBDIVISIONS=4 --set "layer1.Noise Type=fBm" \
  --set layer1.Strength=2 --set "layer1.Overall Scale=20" --set OXROCK_SMOOTHING=5
# A block broken out of a rock face: flat sides with a rough, ridged surface, 3 m long.
preset cliff-chunk "300 200 160" 3 80 "0:#6b5540,0.5:#a08566,1:#d2bc98" --set OXROCK_SUBDIVISIONS=4 --set OXROCK_NORMALIZE_POINTS=off \
  --set OXROCK_SMOOTH_SUBDIVISION=off --add-layer 1 --set "layer1.Noise Type=Ridged Multifractal" \
  --set layer1.Strength=30 --set "layer1.Overall Scale=100" --set "layer2.Noise Type=Voronoi 1" \
  --set layer2.Strength=12 --set "layer2.Overall Scale=40"
# A long, pointed, faceted shard of 1.6 m; flat shading keeps the facets.
preset crystal-shard "30 150 30" 1 20 "0:#5a4d7a,0.5:#9c8fc4,1:#e4defa" --set OXROCK_SUBDIVISIONS=1 --set "OXROCK_SUBDIVISION_MODE=Sharp Corners" \
  --set "layer1.Noise Type=Voronoi 1" --set layer1.Strength=20 --set "layer1.Overall Scale=40"
# A lumpy body pitted with craters, about 1.8 m across.
preset asteroid "200 150 130" 1 80 "0:#1e1c1b,0.6:#403c39,1:#6e6862" --set OXROCK_SUBDIVISIONS=5 --add-layer 1 --set layer1.Strength=70 \
  --set "layer1.Overall Scale=150" --set "layer2.Noise Type=Cell Voronoi" --set layer2.Mode=Subtract \
  --set layer2.Strength=25 --set "layer2.Overall Scale=50"
