// Links from a node to shaders it owns: resolving them, and pointing them at
// the copies after the owner was cloned.
#pragma once

#include "host/core/node_core.h"

namespace qhost {

// The shader with this unique ID among owner's shaders, searched depth first
// through the shaders those shaders own; null when absent.
NodeCore* FindOwnedShader(const NodeCore& owner, Int64 uid);

// The shader a link names: first among owner's own shaders (so the link works
// while owner is in no document), then anywhere in owner's document.
BaseShader* ResolveShaderLink(const NodeCore& owner, const BaseLink& link);

// After copy was cloned from source: the unique ID of the copy of the shader
// that uid names among source's shaders, or uid itself when it names none of
// them. Relies on a clone keeping its branches in the source's order.
Int64 CopiedShaderUid(const NodeCore& source, const NodeCore& copy, Int64 uid);

} // namespace qhost
