// The standard material (Mmaterial): a plain colour and three channels whose
// shaders the material links by unique ID.
//
//   channel               shader link                     switch
//   CHANNEL_COLOR (0)     MATERIAL_COLOR_SHADER (8000)    MATERIAL_USE_COLOR (2000), on
//   CHANNEL_BUMP (6)      MATERIAL_BUMP_SHADER (8006)     MATERIAL_USE_BUMP (2007), off
//   CHANNEL_DISPLACEMENT  MATERIAL_DISPLACEMENT_SHADER    MATERIAL_USE_DISPLACEMENT
//   (11)                  (8009)                          (2012), off
//   kMaterialColorValue (1000): Vector, the colour without a shader, default 0.8 grey.
#pragma once

#include <array>

#include "host/core/node_factory.h"

namespace qhost {

constexpr Int32 kMaterialColorValue = 1000;

class MaterialNode;

class MaterialChannel final : public BaseChannel
{
public:
  MaterialChannel(const MaterialNode& material, Int32 id, Int32 linkId, Int32 switchId)
      : material_(material), id_(id), linkId_(linkId), switchId_(switchId)
  {
  }

  // The linked shader: first among the material's own shaders (the material
  // may be in no document), then in its document. The switch does not matter.
  BaseShader* GetShader() const override;

  Int32 Id() const { return id_; }
  Int32 LinkId() const { return linkId_; }
  bool Enabled() const;

private:
  const MaterialNode& material_;
  Int32 id_;
  Int32 linkId_;
  Int32 switchId_;
};

class MaterialNode final : public Node<BaseMaterial>
{
public:
  MaterialNode();

  BaseChannel* GetChannel(Int32 channel) override;
  void Update(Bool preview, Bool rttm) override;

  // How often MSG_UPDATE arrived and Update ran, so callers can check that a
  // change was announced.
  Int32 UpdateMessageCount() const { return updateMessages_; }
  Int32 UpdateCount() const { return updates_; }

protected:
  void HandleMessage(Int32 type, void* messageData) override;
  void RelinkClonedBranches(const NodeCore& source) override;

private:
  std::array<MaterialChannel, 3> channels_;
  Int32 updateMessages_ = 0;
  Int32 updates_ = 0;
};

void RegisterMaterialType(NodeFactory& factory);

} // namespace qhost
