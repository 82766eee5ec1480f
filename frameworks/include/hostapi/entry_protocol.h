// The protocol between a host and a module's plugin_main: the entry actions,
// their results, the messages of the message action, and the record that the
// exported g_core points to.
#pragma once

#include "hostapi/types.h"

// Actions (plugin_main's first argument).
constexpr Int32 ENTRY_ACTION_SYSTEM_INIT = 1;
constexpr Int32 ENTRY_ACTION_START = 2;
constexpr Int32 ENTRY_ACTION_END = 3;
constexpr Int32 ENTRY_ACTION_QUERY = 4;
constexpr Int32 ENTRY_ACTION_MESSAGE = 6;

// Results.
constexpr Int32 ENTRY_RESULT_FAILED = 0;
constexpr Int32 ENTRY_RESULT_OK = 1;
constexpr Int32 ENTRY_RESULT_QUERY = 5;
constexpr Int32 ENTRY_RESULT_UNKNOWN = -1;
constexpr Int32 ENTRY_RESULT_REFUSED = -3;

// Messages of ENTRY_ACTION_MESSAGE (its second argument).
constexpr Int32 ENTRY_MESSAGE_QUERY = 0;
constexpr Int32 ENTRY_MESSAGE_LOAD_RESOURCES = 1;

// The module's identity in the host's core object system; g_core points to it.
struct CoreModuleRecord
{
  const char* moduleId;
  Int32 version; // major * 10000 + minor * 100 + patch
};
