#!/usr/bin/env bash
# Validates glTF/GLB files with the Khronos glTF validator (npm package
# gltf-validator, run with node).
#
#   scripts/validate_gltf.sh [--install] FILE...
#
# The package lives in $QV_GLTF_VALIDATOR_DIR (default
# ~/.cache/quorvane/gltf-validator). --install fetches it there with npm when
# missing; without --install a missing validator exits with 77, which the
# tests treat as "skipped". Exits 1 when any file has validation errors.
set -euo pipefail

readonly version="2.0.0-dev.3.10"
readonly dir="${QV_GLTF_VALIDATOR_DIR:-${HOME}/.cache/quorvane/gltf-validator}"

install=0
if [[ "${1:-}" == "--install" ]]; then
  install=1
  shift
fi
if [[ $# -eq 0 ]]; then
  echo "usage: $0 [--install] FILE..." >&2
  exit 2
fi
if ! command -v node >/dev/null; then
  echo "node is not installed" >&2
  exit 77
fi
if [[ ! -f "${dir}/node_modules/gltf-validator/package.json" ]]; then
  if [[ ${install} -eq 0 ]]; then
    echo "gltf-validator is not installed in ${dir} (run with --install)" >&2
    exit 77
  fi
  mkdir -p "${dir}"
  npm install --prefix "${dir}" --no-audit --no-fund --silent "gltf-validator@${version}" >&2
fi

NODE_PATH="${dir}/node_modules" node - "$@" <<'JS'
const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

async function validate(file) {
  const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
    uri: path.basename(file),
    // Files written here embed everything; any external reference is an error.
    externalResourceFunction: (uri) => Promise.reject(new Error(`external resource ${uri}`)),
  });
  const issues = report.issues;
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ${issues.numInfos} infos`);
  for (const message of issues.messages) {
    if (message.severity <= 1) {
      console.log(`  ${message.severity === 0 ? 'error' : 'warning'} ${message.code} at ${message.pointer || '-'}: ${message.message}`);
    }
  }
  return issues.numErrors;
}

(async () => {
  let errors = 0;
  for (const file of process.argv.slice(2)) {
    errors += await validate(file);
  }
  process.exit(errors > 0 ? 1 : 0);
})().catch((e) => {
  console.error(e.message);
  process.exit(1);
});
JS
