// Plug-in IDs and string-table entries of the module. Never change a plug-in ID:
// scenes store it.
#pragma once

#include "hostapi/types.h"

constexpr Int32 ID_XQUORVANE = 1065197;
constexpr Int32 ID_OXROCK = 1063355;

constexpr Int32 IDS_XQUORVANE = 20000;
constexpr Int32 IDS_OXROCK = 20001;
