// Where the module lives; set at system initialisation.
#pragma once

#include "hostapi/types.h"

namespace glue {
void SetModulePath(const String& modulePath);
} // namespace glue
