// Placeholder until conversion lands: every conversion fails with 3.
#include "output/mp3_conversion.h"

namespace tunvale::output {
int ConvertToMp3(PlacementContext &, bool) { return 3; }
} // namespace tunvale::output
