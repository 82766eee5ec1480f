// Shared set-up of the plug-in behaviour tests: the real module loaded once
// into the process's host, and small scenes built through the API.
#pragma once

#include <string>
#include <vector>

#include "hostapi/api.h"

namespace qtest {

constexpr Int32 kRockMaker = 1063355;
constexpr Int32 kQuorvaneShader = 1065197;

// The host with the built module started (once per process).
void EnsureModuleLoaded();

// Console lines written since the last call.
std::vector<std::string> TakeConsoleLines();

// A document holding a Quorvane Maker created as from the menu, with its
// description built once (so layer 0 holds its initial values).
struct RockFixture
{
  BaseDocument* doc = nullptr;
  BaseObject* generator = nullptr;

  RockFixture();
  ~RockFixture();
  RockFixture(const RockFixture&) = delete;
  RockFixture& operator=(const RockFixture&) = delete;

  BaseContainer& Data() { return *generator->GetDataInstance(); }
  void BuildDescription();
  void Press(Int32 button);
  // Builds the document's caches and returns the generator's cache.
  BaseObject* Build();
};

// A polygon object from points and polygons (not inserted anywhere).
PolygonObject* MakePolygonObject(const std::vector<Vector>& points, const std::vector<CPolygon>& polygons);

// Layer parameter ID of layer k (from 0) at offset.
constexpr Int32 LayerId(Int32 k, Int32 offset) { return 10021 + 20 * k + offset; }

} // namespace qtest
