// The scene of `quorvane rock`: a document with a Quorvane Maker created as
// from the menu, its child, its description built as the attribute manager
// would, and what a user changes on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/app/parameter_assignment.h"
#include "host/geometry/mesh_data.h"
#include "host/io/mesh_frame.h"

namespace qhost {
class ObjectNode;
}

namespace qhost::app {

constexpr Int32 kRockMakerId = 1063355;
constexpr Int32 kAddLayerButton = 3002;
constexpr Int32 kRemoveLayerButton = 3003;

struct FieldSpec
{
  Int32 type = 0; // Ofield_*
  Vector position;
  Float inner = 0.0;
  Float outer = 100.0;
};

// "spherical,x,y,z,inner,outer"; throws UsageError.
FieldSpec ParseFieldSpec(const std::string& text);

class RockScene
{
public:
  static RockScene WithCube();
  // The mesh file, read in frame, becomes a polygon object; its groups become
  // selection tags.
  static RockScene WithMeshFile(const std::string& path, const MeshFileFrame& frame);
  // The document of a scene file; the generator is its first Quorvane Maker
  // (depth first) and the child that generator's first child, if any. Throws
  // UsageError naming the file.
  static RockScene FromSceneFile(const std::string& path);
  RockScene(RockScene&&) noexcept;
  ~RockScene();

  BaseDocument* Document() const { return doc_; }
  BaseObject* Generator() const { return generator_; }

  // Presses a button of the generator, then rebuilds its description so that a
  // new layer receives its initial values.
  void PressGeneratorButton(Int32 id);
  // A generator parameter by ID or identifier, or a layer parameter as
  // "layerK.NAME" (K from 1); a layer's Selection takes the name of a polygon
  // selection tag of the child. Throws UsageError.
  void Assign(const Assignment& assignment);
  void AddField(const FieldSpec& wanted);

  // Builds the generator's cache; throws when the build gave no mesh.
  MeshData BuildMesh();
  // Corner normals that honour the Phong tag of the built mesh.
  std::vector<Vector> CornerNormals(const MeshData& mesh) const;
  // Writes the document as a scene file, completely or not at all; throws on failure.
  void SaveScene(const std::string& path) const;

private:
  RockScene(BaseDocument* doc, BaseObject* generator, BaseObject* child);
  void RebuildDescription();
  void AssignLayerParameter(Int32 layer, const std::string& name, const std::string& value);

  BaseDocument* doc_ = nullptr;
  BaseObject* generator_ = nullptr;
  BaseObject* child_ = nullptr;
  std::vector<DescElement> elements_; // the generator's current description
};

} // namespace qhost::app
