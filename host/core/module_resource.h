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

// Loads the string table; throws InputError naming the file on failure.
ModuleResource LoadModuleResource(const String& folder);

} // namespace qhost
