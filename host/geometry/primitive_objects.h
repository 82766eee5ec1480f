// The host's own generators: cube, sphere and plane. They are object nodes of
// info OBJECT_GENERATOR whose cache, a polygon object with a UVW tag, is made
// from their parameters by the algorithms in primitives.h.
//
// Parameters (container IDs):
//   Ocube   kCubeSize Vector (200, 200, 200), kCubeSegmentsX/Y/Z Int32 1
//   Osphere kSphereRadius Float 100, kSphereSegments Int32 24
//   Oplane  kPlaneWidth Float 400, kPlaneHeight Float 400,
//           kPlaneSegmentsWidth Int32 4, kPlaneSegmentsHeight Int32 4
#pragma once

#include "host/geometry/mesh_data.h"
#include "host/geometry/object_node.h"

namespace qhost {

constexpr Int32 kCubeSize = 1100;
constexpr Int32 kCubeSegmentsX = 1101;
constexpr Int32 kCubeSegmentsY = 1102;
constexpr Int32 kCubeSegmentsZ = 1103;
constexpr Int32 kSphereRadius = 1110;
constexpr Int32 kSphereSegments = 1111;
constexpr Int32 kPlaneWidth = 1120;
constexpr Int32 kPlaneHeight = 1121;
constexpr Int32 kPlaneSegmentsWidth = 1122;
constexpr Int32 kPlaneSegmentsHeight = 1123;

bool IsPrimitiveType(Int32 type);

// The mesh a primitive's parameters describe; empty for other types.
MeshData BuildPrimitiveMesh(const ObjectNode& primitive);

// Rebuilds the cache of a primitive when it has none or its parameters changed
// since the cache was made. False for other types.
bool RefreshPrimitiveCache(ObjectNode& primitive);

// Registers the three types with their defaults and builtin descriptions.
void RegisterPrimitiveTypes(NodeFactory& factory);

} // namespace qhost
