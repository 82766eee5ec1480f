#include "host/geometry/modeling_commands.h"

#include <algorithm>
#include <exception>
#include <string>

#include "host/core/build_break.h"
#include "host/core/core_services.h"
#include "host/geometry/cache_pass.h"
#include "host/geometry/current_state.h"
#include "host/geometry/hierarchy_mesh.h"
#include "host/geometry/mesh_ops.h"
#include "host/geometry/polygon_mesh.h"
#include "host/geometry/subdivide.h"

namespace qhost {
namespace {

bool HasSelection(const MeshData& mesh, const std::string& name)
{
  for (const NamedSelection& selection : mesh.selections)
    if (selection.name == name)
      return true;
  return false;
}

// Renames the selections of part whose names are taken in joined (or earlier
// in part) to the first free "name.N".
void KeepSelectionsApart(const MeshData& joined, MeshData& part)
{
  for (size_t i = 0; i < part.selections.size(); ++i)
  {
    const std::string base = part.selections[i].name;
    const auto taken = [&](const std::string& name) {
      if (HasSelection(joined, name))
        return true;
      for (size_t k = 0; k < i; ++k)
        if (part.selections[k].name == name)
          return true;
      return false;
    };
    std::string name = base;
    for (Int32 suffix = 1; taken(name); ++suffix)
      name = base + "." + std::to_string(suffix);
    part.selections[i].name = name;
  }
}

Bool CurrentStateCommand(ModelingCommandData& data)
{
  ObjectNode* op = AsObject(data.op);
  if (!op)
    return false;
  ObjectNode* result = CurrentStateClone(*op, data.doc ? data.doc : op->Document());
  if (!result)
    return false;
  data.result.push_back(result);
  return true;
}

Bool JoinCommand(ModelingCommandData& data)
{
  ObjectNode* op = AsObject(data.op);
  if (!op)
    return false;
  const bool merge = data.bc && data.bc->GetBool(MDATA_JOIN_MERGE_SELTAGS);
  ObjectNode* joined = JoinHierarchy(*op, data.doc ? data.doc : op->Document(), merge);
  if (!joined)
    return false;
  data.result.push_back(joined);
  return true;
}

Bool SubdivideCommand(ModelingCommandData& data)
{
  ObjectNode* op = AsObject(data.op);
  if (!op || op->Type() != Opolygon)
  {
    HostMessage("Subdivide: the object is not a polygon object");
    return false;
  }
  // The module called in: a failure becomes a console line and a false
  // result, never an exception.
  try
  {
    SubdivideInPlace(*op, data.bc);
    return true;
  }
  catch (const BuildBrokenOff&)
  {
    return false; // nobody waits for this build any more: nothing to report
  }
  catch (const std::exception& e)
  {
    HostMessage("Subdivide of \"" + op->name + "\" failed: " + e.what());
    return false;
  }
}

} // namespace

ObjectNode* JoinHierarchy(ObjectNode& op, BaseDocument* doc, bool mergeSelections)
{
  EnsureSubtreeCaches(op, doc);
  MeshData joined;
  ForEachShownMesh(op, Matrix(), [&](const ObjectNode& object, const Matrix& transform) {
    MeshData part = ReadPolygonMesh(object);
    if (!mergeSelections)
      KeepSelectionsApart(joined, part);
    AppendMesh(joined, part, transform);
  });
  ObjectNode* result = NewPolygonObject(std::move(joined));
  if (!result)
    return nullptr;
  result->name = op.name;
  result->SetMl(op.GetMg());
  return result;
}

void SubdivideInPlace(ObjectNode& op, const BaseContainer* settings)
{
  const BaseContainer none;
  const BaseContainer& bc = settings ? *settings : none;
  SubdivideOptions options;
  options.smooth = bc.GetBool(MDATA_SUBDIVIDE_HYPER, true);
  options.angle = bc.GetFloat(MDATA_SUBDIVIDE_ANGLE, kPi);
  options.levels = std::max(0, bc.GetInt32(MDATA_SUBDIVIDE_SUB, 1));
  options.mode = bc.GetInt32(MDATA_SUBDIVIDE_MODE, kSubdivideModeKeepBoundaries);
  MeshData mesh = ReadPolygonMesh(op);
  Subdivide(mesh, options, mesh);
  WritePolygonMesh(op, std::move(mesh));
}

Bool RunModelingCommand(Int32 command, ModelingCommandData& data)
{
  // A build broken off starts no more commands; the caller sees a failure.
  if (BreakRequested())
    return false;
  switch (command)
  {
    case MCOMMAND_CURRENTSTATETOOBJECT: return CurrentStateCommand(data);
    case MCOMMAND_JOIN: return JoinCommand(data);
    case MCOMMAND_SUBDIVIDE: return SubdivideCommand(data);
    default: return false;
  }
}

} // namespace qhost
