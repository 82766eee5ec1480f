// The host's error model: functions that can fail throw, and the application
// catches at its edge (host/app/main.cpp). InputError means the input was bad
// (a file's content, an option, a scene value) and the run exits with 2; any
// other std::exception is a failure of the run itself (a full disk, a write
// refused) and exits with 1. Nothing is thrown across the module boundary.
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
