// The modeling commands the host runs for SendModelingCommand.
//
// MCOMMAND_CURRENTSTATETOOBJECT (245): data.op's hierarchy as plain objects
//   (see CurrentStateClone); result = [new root]. data.op need not be in data.doc.
// MCOMMAND_JOIN (246): data.op's hierarchy as it is shown (generators by their
//   caches) becomes one polygon object whose matrix is op's global matrix and
//   whose points are in that object's space. UVs are kept (zero for polygons
//   from objects without). With MDATA_JOIN_MERGE_SELTAGS true, polygon
//   selections of the same name merge; otherwise they stay apart and a name
//   already taken gets ".1", ".2", ... (the first free suffix) appended.
//   result = [joined]; a hierarchy without polygons gives an empty object.
// MCOMMAND_SUBDIVIDE (242): subdivides data.op, a polygon object, in place:
//   MDATA_SUBDIVIDE_HYPER (Bool, default true) smooth, MDATA_SUBDIVIDE_ANGLE
//   (Float radians, default pi) crease angle, MDATA_SUBDIVIDE_SUB (Int32,
//   default 1, negative = 0) levels, MDATA_SUBDIVIDE_MODE (Int32, default
//   kSubdivideModeKeepBoundaries). UVs and polygon selections follow the
//   child polygons. On failure a console line names the reason, the object is
//   unchanged and the command returns false.
// Any other command returns false.
#pragma once

#include "host/geometry/object_node.h"

namespace qhost {

Bool RunModelingCommand(Int32 command, ModelingCommandData& data);

// The parts, for callers inside the host.
ObjectNode* JoinHierarchy(ObjectNode& op, BaseDocument* doc, bool mergeSelections);
// Replaces op's mesh by its subdivision; throws std::exception saying why
// the mesh cannot be subdivided (the object is then unchanged).
void SubdivideInPlace(ObjectNode& op, const BaseContainer* settings);

} // namespace qhost
