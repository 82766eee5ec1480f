// Shared set-up of the shading tests: the process's host, the real module, and
// small scenes to shade.
#pragma once

#include "hostapi/api.h"

namespace qhost::test {

// The host with every family registered and the API glue bound to it.
void UseHost();
// Loads build/plugins/quorvane/quorvane.dud64 once per process; false when it
// did not start.
bool LoadQuorvaneModule();

// A noise shader whose colours are both c: samples exactly c once prepared.
BaseShader* ConstantShader(const Vector& c);

} // namespace qhost::test
