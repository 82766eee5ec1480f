// Relaxation of a mesh by neighbour averaging.
#pragma once

#include "hostapi/api.h"

// passes full passes that move every point to the mean of its one-ring
// neighbours (in place, in point order), then one pass at weight.
void RelaxPoints(PolygonObject* mesh, Float weight, Int32 passes);
