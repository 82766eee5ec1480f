// `quorvane texture`: bakes the Quorvane shader over the UV square into a PNG.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "host/bake/texture_bake.h"

namespace qhost::app {

struct TextureOptions
{
  std::string out = "texture.png";
  int size = 512;
  std::string mode = "color";
  std::vector<std::string> sets;
  int threads = 0;
  std::string scene; // a scene file whose first material with a Quorvane shader is baked
  std::string save;  // where to write the scene after the bake
};

// "color" or "height"; throws UsageError naming the option.
TextureKind ParseTextureKind(const std::string& option, const std::string& mode);

void AddTextureCommand(CLI::App& app, const char* argv0, std::string& pluginsOption);

} // namespace qhost::app
