// Everything a plug-in module sees of the host.
#pragma once

#include "hostapi/auto_free.h"
#include "hostapi/container.h"
#include "hostapi/desc_id.h"
#include "hostapi/description.h"
#include "hostapi/document.h"
#include "hostapi/fields.h"
#include "hostapi/ids.h"
#include "hostapi/noise.h"
#include "hostapi/nodes.h"
#include "hostapi/objects.h"
#include "hostapi/plugin.h"
#include "hostapi/result.h"
#include "hostapi/shading.h"
#include "hostapi/system.h"
#include "hostapi/tracks.h"
#include "hostapi/types.h"
