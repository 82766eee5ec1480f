// A low family reaching up to the family that uses it.
#pragma once

#include "host/high/high.h"
