#!/usr/bin/env bash
# Installs the build into a fresh prefix and uses it from another directory:
# the tree must be complete and relocatable, and carry the project's version
# in both the application and the module.
#   install_tree_test.sh BUILD_DIR VERSION
set -euo pipefail
build_dir=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
mv "$work/prefix" "$work/moved" # relocatable: nothing points back at the install prefix
cd /
app="$work/moved/bin/quorvane"
plugin_dir="$work/moved/lib/quorvane/plugins/quorvane"

fail() { echo "install_tree_test: $*" >&2; exit 1; }

[[ -f "$plugin_dir/res/strings.json" ]] || fail "res/ missing beside the installed module"
[[ -f "$plugin_dir/presets/boulder.json" ]] || fail "presets/ missing beside the installed module"
[[ -s "$plugin_dir/QuorvaneMaker.pdf" ]] || fail "help document missing beside the installed module"
[[ "$("$app" --version)" == "quorvane $version" ]] || fail "--version does not print quorvane $version"

plugins=$("$app" plugins)
grep -q "^module $plugin_dir/.* (net.quorvane.module $version)\$" <<<"$plugins" ||
  fail "the installed module is not found or does not report version $version: $plugins"
grep -q "Quorvane Maker" <<<"$plugins" || fail "the generator is not registered: $plugins"

"$app" rock --out "$work/rock.obj" >/dev/null
[[ -s "$work/rock.obj" ]] || fail "the installed application made no rock"
"$app" rock --preset pebble --out "$work/pebble.obj" >/dev/null || fail "the installed presets are not found"
echo "installed tree at $work/moved works"
