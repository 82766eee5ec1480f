// The three functions every module defines; the framework's plugin_main calls them.
#pragma once

#include "hostapi/types.h"

Bool PluginStart();
void PluginEnd();
Bool PluginMessage(Int32 id, void* data);

// The module's resource, loaded on message 1.
class GeResource;
GeResource& GetModuleResource();
