// `quorvane texture`: bakes the Quorvane shader over UV space into a PNG.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "host/shading/texture_bake.h"

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

// "color" or "height"; throws UsageError.
TextureKind ParseMode(const std::string& mode);

// A material whose colour channel holds a new Quorvane shader (or, with a
// scene file, the file's first material owning one) with the options'
// settings, baked over UV space; the scene is gone when this returns.
Image BakeQuorvaneTexture(const TextureOptions& options, TextureKind kind);

void AddTextureCommand(CLI::App& app, const char* argv0, std::string& pluginsOption);

} // namespace qhost::app
