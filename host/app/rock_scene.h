// The scene of `quorvane rock`: a document with a Quorvane Maker created as
// from the menu, its child, its description built as the attribute manager
// would, and what a user changes on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/app/field_argument.h"
#include "host/app/generator_layers.h"
#include "host/app/parameter_assignment.h"
#include "host/geometry/mesh_data.h"
#include "host/io/mesh_frame.h"

namespace qhost::app {

class RockScene
{
public:
  // A new generator over a new primitive object (Ocube, Osphere, Oplane).
  static RockScene WithPrimitive(Int32 type);
  // The mesh file, read in frame, becomes a polygon object; its groups become
  // selection tags.
  static RockScene WithMeshFile(const std::string& path, const MeshFileFrame& frame);
  // The document of a scene file; the generator is its first Quorvane Maker
  // (depth first) and the child that generator's first child, if any. Throws
  // UsageError naming the file.
  static RockScene FromSceneFile(const std::string& path);
  // A polygon object made from the mesh file, read in frame; its groups
  // become selection tags.
  static BaseObject* MeshFileObject(const std::string& path, const MeshFileFrame& frame);
  RockScene(RockScene&&) noexcept;
  ~RockScene();

  BaseDocument* Document() const { return doc_; }
  BaseObject* Generator() const { return generator_; }
  // The generator's description as last built (after every button press).
  const std::vector<DescElement>& Elements() const { return elements_; }

  // Presses the add or remove layer button, then rebuilds the description so
  // that a new layer receives its initial values.
  void AddLayer();
  void RemoveLayer();
  // Presses any of the generator's buttons, then rebuilds the description.
  void Press(Int32 id);
  // Refuses, naming the options, layer button presses that would take the
  // layer count outside the generator's limits.
  void CheckLayerButtonPresses(int add, int remove) const;
  // A generator parameter by ID, identifier or label, or a layer parameter as
  // "layerK.NAME" (K from 1); a layer's Selection takes the name of a polygon
  // selection tag of the child. Throws UsageError.
  void Assign(const Assignment& assignment, const AssignmentContext& context);
  void AddField(const FieldArgument& wanted);

  // Puts child (owned from now on) under the generator in place of the
  // current child, so a preset's generator and material act on another object.
  void ReplaceChild(BaseObject* child);
  // Gives this generator the parameters of look's generator, keeping its own
  // fields (they point at objects of this document), and shows look's
  // material through a texture tag unless this generator already shows a
  // Quorvane material.
  void TakeLookOf(const RockScene& look);

  // Builds the generator's cache and moves its geometry out, so the largest
  // mesh of the job exists once; the cache keeps its tags (the Phong tag for
  // CornerNormals) but no points. Throws when the build gave no mesh.
  MeshData BuildMesh();
  // Corner normals that honour the Phong tag of the built mesh.
  std::vector<Vector> CornerNormals(const MeshData& mesh) const;
  // Writes the document as a scene file, completely or not at all; throws on failure.
  void SaveScene(const std::string& path) const;

private:
  RockScene(BaseDocument* doc, BaseObject* generator, BaseObject* child);
  void RebuildDescription();
  BaseList2D* SelectionNamed(const Assignment& assignment, const std::string& name) const;

  BaseDocument* doc_ = nullptr;
  BaseObject* generator_ = nullptr;
  BaseObject* child_ = nullptr;
  std::vector<DescElement> elements_; // the generator's current description
  GeneratorControls controls_;
};

} // namespace qhost::app
