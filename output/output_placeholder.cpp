// Placeholder until placement lands: nothing is placed and no name is built.
#include "output/place_file.h"
#include "output/track_file_name.h"

namespace tunvale::output {
int PlaceFile(int, int, PlacementContext &) { return 3; }
std::u16string BuildTrackFileName(const catalog::CMetaDat &, int, const PlacementOptions &) { return {}; }
} // namespace tunvale::output
