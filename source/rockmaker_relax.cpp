#include "rockmaker_relax.h"

namespace {

// The mean of point j's one-ring neighbours; false for a point without any.
Bool NeighbourMean(const Neighbor& nb, const Vector* points, Int32 j, Vector& mean)
{
  const Int32* ring = nullptr;
  Int32 count = 0;
  nb.GetPointOneRingPoints(j, &ring, &count);
  if (count <= 0)
    return false;
  Vector sum;
  for (Int32 k = 0; k < count; ++k)
    sum += points[ring[k]];
  mean = sum / Float(count);
  return true;
}

} // namespace

void RelaxPoints(PolygonObject* mesh, Float weight, Int32 passes)
{
  const Int32 n = mesh->GetPointCount();
  Vector* points = mesh->GetPointW();
  Neighbor* nb = Neighbor::Alloc();
  if (!nb || !nb->Init(n, mesh->GetPolygonR(), mesh->GetPolygonCount(), nullptr))
  {
    Neighbor::Free(nb);
    return;
  }
  Vector mean;
  for (Int32 pass = 0; pass < passes; ++pass)
    for (Int32 j = 0; j < n; ++j)
      if (NeighbourMean(*nb, points, j, mean))
        points[j] = mean;
  for (Int32 j = 0; j < n; ++j)
    if (NeighbourMean(*nb, points, j, mean))
      points[j] = points[j] + (mean - points[j]) * weight;
  Neighbor::Free(nb);
}
