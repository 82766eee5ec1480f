// The Quorvane shader as the application meets it: found by its description
// ("XQuorvane") among the registered plug-ins, its parameters by identifier,
// held by a material's colour channel, set up from the command line and baked.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "host/core/node_factory.h"
#include "host/bake/texture_bake.h"

namespace qhost::app {

// The registered plug-in whose description is "XQuorvane"; throws
// std::runtime_error when no loaded module registers one.
const PluginInfo& QuorvaneShaderPlugin();

struct QuorvaneMaterial
{
  BaseMaterial* material = nullptr;
  BaseShader* shader = nullptr;
};

// The material with its first Quorvane shader (depth first through its
// shaders); the shader is null when it holds none.
QuorvaneMaterial FindQuorvaneShader(BaseMaterial& material);

// The document's first material that holds a Quorvane shader; both null when
// there is none.
QuorvaneMaterial FindQuorvaneMaterial(BaseDocument& doc);

// A new material in doc whose colour channel shows a new Quorvane shader.
QuorvaneMaterial AddQuorvaneMaterial(BaseDocument& doc);

// What a bake of the shader takes from the command line.
struct ShaderBakeSettings
{
  int size = 512;
  TextureKind kind = TextureKind::Color;
  std::vector<std::string> sets; // NAME_OR_ID=VALUE, applied in order
  int threads = 0;
};

// Reads every NAME_OR_ID=VALUE for the shader against its description, so a
// run with a bad one stops before any work; throws UsageError.
void CheckShaderSettings(const std::vector<std::string>& sets);

// Sets the shader's mode for the kind of texture and applies each assignment
// (throws UsageError), then bakes the material's colour channel with a
// progress bar; per-pixel texture positions and normals may be handed over
// (see TextureBakeOptions). Throws std::runtime_error when the bake fails.
Image BakeQuorvaneMaterial(const QuorvaneMaterial& target, const ShaderBakeSettings& settings,
                           std::span<const Vector> positions = {}, std::span<const Vector> normals = {});

} // namespace qhost::app
