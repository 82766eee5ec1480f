// The host's texture tag: on an object, it says which material the object
// shows and by which projection the material finds its texture positions.
// Settings in its container:
//   kTextureTagMaterial (1010)    link to the material
//   kTextureTagProjection (1011)  Int32, a TextureProjection; default Uv
// A scene file keeps both like any other tag parameter.
#pragma once

#include "host/core/node_factory.h"
#include "host/shading/texture_projection.h"

namespace qhost {

constexpr Int32 kTextureTag = 5616;
constexpr Int32 kTextureTagMaterial = 1010;
constexpr Int32 kTextureTagProjection = 1011;

class TextureTagNode final : public Node<BaseTag>
{
public:
  TextureTagNode();
  BaseObject* GetObject() const override;
};

// The first texture tag of op, or null.
BaseTag* FindTextureTag(const BaseObject& op);

// The tag's material, resolved in doc; null when the link is empty or broken.
BaseMaterial* TextureTagMaterial(const BaseTag& tag, const BaseDocument* doc);

// The tag's projection; a stored number that is no projection reads as Uv.
TextureProjection TextureTagProjection(const BaseTag& tag);

void RegisterTextureTagType(NodeFactory& factory);

} // namespace qhost
