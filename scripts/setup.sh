#!/usr/bin/env bash
# Installs everything Quorvane needs to build, test and benchmark on Debian 12.
#
#   bash scripts/setup.sh
#
# Only missing packages are installed (apt-get update runs once, and only when
# something is missing), so running it again does nothing. Works as root, or
# through sudo for other users. The Khronos glTF validator used by the glTF
# tests, and the workbench's npm packages (three for its 3D view,
# puppeteer-core for its browser test; pinned in web/package-lock.json), are
# fetched with npm when the registry is reachable; without them the glTF
# tests and the browser test are skipped and the workbench shows pictures.
set -euo pipefail

readonly script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

readonly packages=(
  cmake g++ ninja-build pkg-config binutils
  libgtest-dev libgmock-dev libbenchmark-dev
  libosd-dev libtinygltf-dev libtinyobjloader-dev nlohmann-json3-dev libcli11-dev
  libpng-dev libstb-dev libnoise-dev libcairo2-dev fonts-dejavu-core libembree-dev libtbb-dev libmeshoptimizer-dev
  poppler-utils clang-14 libclang-rt-14-dev libcpp-httplib-dev chromium
)

as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "setup: need root or sudo to run: $*" >&2
    exit 1
  fi
}

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for package in "${packages[@]}"; do
  is_installed "${package}" || missing+=("${package}")
done
# Node may come from another repository that already bundles npm; asking apt
# for Debian's npm then would conflict with it, so look for the commands.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)

if [[ ${#missing[@]} -gt 0 ]]; then
  echo "setup: installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "setup: all Debian packages are installed"
fi

# The validator's version is the one scripts/validate_gltf.sh runs.
readonly validator_version="$(sed -n 's/^readonly version="\(.*\)"$/\1/p' "${script_dir}/validate_gltf.sh")"
readonly validator_dir="${QV_GLTF_VALIDATOR_DIR:-${HOME}/.cache/quorvane/gltf-validator}"
if [[ -f "${validator_dir}/node_modules/gltf-validator/package.json" ]]; then
  echo "setup: glTF validator is installed"
elif mkdir -p "${validator_dir}" &&
  timeout 300 npm install --prefix "${validator_dir}" --no-audit --no-fund --silent \
    "gltf-validator@${validator_version}" >/dev/null 2>&1; then
  echo "setup: glTF validator installed in ${validator_dir}"
else
  echo "setup: glTF validator not available (npm registry unreachable?); glTF validation tests will be skipped"
fi

# The workbench's packages, exactly as web/package-lock.json pins them; CMake
# copies three's files beside the page, the browser test runs puppeteer-core.
readonly web_dir="${QV_WEB_MODULES_DIR:-${HOME}/.cache/quorvane/web}"
if [[ -f "${web_dir}/package-lock.json" ]] && cmp -s "${web_dir}/package-lock.json" "${script_dir}/../web/package-lock.json" &&
  [[ -d "${web_dir}/node_modules/three" ]]; then
  echo "setup: workbench packages are installed"
elif mkdir -p "${web_dir}" && cp "${script_dir}/../web/package.json" "${script_dir}/../web/package-lock.json" "${web_dir}/" &&
  timeout 300 npm ci --prefix "${web_dir}" --no-audit --no-fund --silent >/dev/null 2>&1; then
  echo "setup: workbench packages installed in ${web_dir}"
else
  echo "setup: workbench packages not available (npm registry unreachable?); the browser test will be skipped"
fi
