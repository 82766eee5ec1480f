// The noise types a layer offers, in menu order.
#pragma once

#include "hostapi/types.h"

struct NoiseTypeEntry
{
  Int32 value;
  const char* label;
};

// Host noise types 1 ... 33 (18 is not offered), a divider (-1), then the
// module's own ridged multifractal (400) and simple noise (500).
inline constexpr NoiseTypeEntry kNoiseTypeMenu[] = {
    {1, "Box Noise"},        {2, "Blistered Turbulence"}, {3, "Buya"},           {4, "Cell Noise"},
    {5, "Cranal"},           {6, "Dents"},                {7, "Displaced Turbulence"},
    {32, "Electric"},        {8, "fBm"},                  {31, "Fire"},          {33, "Gaseous"},
    {9, "Hama"},             {10, "Luka"},                {11, "Mod Noise"},     {12, "Naki"},
    {13, "Noise"},           {14, "Nutous"},              {15, "Ober"},          {16, "Pezo"},
    {17, "Poxo"},            {19, "Sema"},                {20, "Stupl"},         {21, "Turbulence"},
    {22, "VL Noise"},        {23, "Wavy Turbulence"},     {24, "Cell Voronoi"},  {25, "Displaced Voronoi"},
    {26, "Sparse Convolution"}, {27, "Voronoi 1"},        {28, "Voronoi 2"},     {29, "Voronoi 3"},
    {30, "Zada"},            {-1, ""},                    {400, "Ridged Multifractal"}, {500, "Simple Noise"},
};
