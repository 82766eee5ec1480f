// A family that uses the low one, as declared.
#pragma once

#include "host/low/low.h"
