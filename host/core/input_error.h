// The host's error model: functions that can fail throw, and only the edges
// catch: the command runners (host/app/main.cpp), the workbench's HTTP routes
// (host/serve/json_route.cpp) and the host operations the module calls, which
// turn a failure into a result. InputError means the input was bad (a file's
// content, an option, a scene value) and the run exits with 2; any other
// std::exception is a failure of the run itself (OutputError for a file that
// could not be written) and exits with 1.
#pragma once

#include <stdexcept>

namespace qhost {

// Bad input: the message names the input (file and element, or option), says
// what is wrong and what is allowed.
struct InputError : std::runtime_error
{
  using std::runtime_error::runtime_error;
};

} // namespace qhost
