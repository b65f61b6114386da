#pragma once

#include "output/placement_context.h"

namespace tunvale::output {

// Converts context.sourcePath to MP3 at context.destinationPath; 0 on success.
int ConvertToMp3(PlacementContext &context, bool replace);

} // namespace tunvale::output
