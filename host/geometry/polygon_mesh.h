// Conversion between polygon objects and plain MeshData, so that the geometry
// algorithms (subdivision, joining, export) work on objects with their UVs and
// named polygon selections.
#pragma once

#include "host/geometry/mesh_data.h"
#include "host/geometry/object_node.h"

namespace qhost {

// Points, polygons, the first UVW tag (when it has one entry per polygon) and
// every polygon selection tag, in tag order, named after the tag. Selected
// indices beyond the polygon count select nothing and are left out.
MeshData ReadPolygonMesh(const ObjectNode& object);

// Replaces the object's points and polygons with mesh's (moved in: pass an
// rvalue to hand the arrays over without a copy). The UVW tag takes the
// mesh's UVs (made when missing; removed when the mesh has none). The k-th
// selection of a name goes to the k-th polygon selection tag of that name
// (made when missing, after the last tag); selection tags the mesh does not
// name are emptied.
void WritePolygonMesh(ObjectNode& object, MeshData mesh);

// A new, unlinked polygon object holding mesh.
ObjectNode* NewPolygonObject(MeshData mesh);

// Like ReadPolygonMesh, but moves the points, polygons and UVs out of the
// object instead of copying them; the object is left without geometry.
MeshData TakePolygonMesh(ObjectNode& object);

} // namespace qhost
