// Menu labels, descriptions and value ranges of the noise types.
#include <array>

#include "host/noise/noise.h"

namespace qhost {
namespace {

constexpr std::array<NoiseTypeInfo, kLastNoiseType> kNoiseTypes = {{
    {1, "Box Noise", "Blocky value noise: flat plateaus joined by short ramps, in octaves", 0.0, 1.0, true},
    {2, "Blistered Turbulence", "Turbulence with round blisters pushed up through it", 0.0, 1.0, true},
    {3, "Buya", "Contour bands of fBm, like a topographic map", 0.0, 1.0, true},
    {4, "Cell Noise", "One flat random value per lattice cell", 0.0, 1.0, false},
    {5, "Cranal", "Ridged folds on a warped domain, like the surface of a brain", 0.0, 1.0, true},
    {6, "Dents", "Octaves of round bowls around scattered points, like hammered metal", 0.0, 1.0, true},
    {7, "Displaced Turbulence", "Turbulence on a domain displaced by smooth noise", 0.0, 1.0, true},
    {8, "fBm", "Fractal Brownian motion: octaves of gradient noise", 0.0, 1.0, true},
    {9, "Hama", "Narrow-crested ripples along x bent by noise, like wind-blown sand", 0.0, 1.0, true},
    {10, "Luka", "Soft-edged spots where fBm rises over a threshold", 0.0, 1.0, true},
    {11, "Mod Noise", "fBm wrapped into repeating sawtooth bands", 0.0, 1.0, false},
    {12, "Naki", "Vertical streaks: fBm stretched along y", 0.0, 1.0, true},
    {13, "Noise", "Plain gradient noise, one octave", 0.0, 1.0, true},
    {14, "Nutous", "Product of two fBm layers: dark ground with bright knots", 0.0, 1.0, true},
    {15, "Ober", "fBm quantised into flat terraces", 0.0, 1.0, true},
    {16, "Pezo", "Dried mud: noisy plates split by grooved cracks", 0.0, 1.0, true},
    {17, "Poxo", "Round pits of varying size on a mottled surface", 0.0, 1.0, true},
    {18, "Random", "Fine white noise, an independent value per 1/64 unit cell", 0.0, 1.0, false},
    {19, "Sema", "Mosaic: flat-toned Voronoi tiles sloping into grout lines", 0.0, 1.0, true},
    {20, "Stupl", "Halftone stipple: round dots whose height follows fBm", 0.0, 1.0, true},
    {21, "Turbulence", "Octaves of folded gradient noise", 0.0, 1.0, true},
    {22, "VL Noise", "Variable-lattice noise: each octave sampled on a self-distorted domain", 0.0, 1.0, true},
    {23, "Wavy Turbulence", "Turbulence on a domain bent by crossed sine waves", 0.0, 1.0, true},
    {24, "Cell Voronoi", "One flat random value per Voronoi cell", 0.0, 1.0, false},
    {25, "Displaced Voronoi", "Distance to the nearest feature point on a noise-warped domain", 0.0, 1.0, true},
    {26, "Sparse Convolution", "Signed round kernels scattered one per cell, summed", 0.0, 1.0, true},
    {27, "Voronoi 1", "Distance to the nearest feature point (F1)", 0.0, 1.0, true},
    {28, "Voronoi 2", "Distance to the second nearest feature point (F2)", 0.0, 1.0, true},
    {29, "Voronoi 3", "Cell edges: F2 minus F1, a rounded valley along every edge", 0.0, 1.0, true},
    {30, "Zada", "Zigzag strata: waves across y pushed around by fBm", 0.0, 1.0, true},
    {31, "Fire", "Vertical flame tongues rising with time", 0.0, 1.0, true},
    {32, "Electric", "Branching bright arcs of one width along warped noise zero crossings", 0.0, 1.0, true},
    {33, "Gaseous", "Soft billowy wisps of warped fBm", 0.0, 1.0, true},
}};

}  // namespace

std::span<const NoiseTypeInfo> AllNoiseTypes() { return kNoiseTypes; }

const NoiseTypeInfo* FindNoiseType(Int32 type)
{
  if (type < kFirstNoiseType || type > kLastNoiseType)
    return nullptr;
  return &kNoiseTypes[static_cast<std::size_t>(type - kFirstNoiseType)];
}

}  // namespace qhost
