#pragma once

#include "output/placement_context.h"

namespace tunvale::output {

// Places the file context.sourcePath at context.destinationPath (1-based index within its
// folder's list of count files): copies or converts it, resolves name collisions, rewrites its
// tags when an option asks for it. 0 on success (destinationPath then names the file actually
// written); otherwise 2, 3, 5 or another copy error code, a conversion code, or 82 when the
// tags could not be rewritten.
int PlaceFile(int index, int count, PlacementContext &context);

} // namespace tunvale::output
