// A module's resource folder: its string table and description files.
//
// Layout: res/strings.json ({"strings": {"20000": "Name", ...}}),
// res/description/<name>.json (see description_resource.h), and images.
#pragma once

#include <map>

#include "hostapi/types.h"

namespace qhost {

struct ModuleResource
{
  String folder;
  std::map<Int32, String> strings;
};

// Loads the string table; false with a message naming the file on failure.
bool LoadModuleResource(const String& folder, ModuleResource& out, String& error);

} // namespace qhost
