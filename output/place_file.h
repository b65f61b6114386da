#pragma once

#include "formats/format_table.h"
#include "formats/io/file_identity.h"
#include "output/placement_context.h"
#include "output/work_file.h"

#include <filesystem>

namespace tunvale::output {

// Places the file context.sourcePath at context.destinationPath (1-based index within its
// folder's list of count files): copies or converts it, resolves name collisions, rewrites its
// tags when an option asks for it. A source whose audio the encoder cannot take is copied as
// it is instead of converted, and context.notice says so. 0 on success (destinationPath then names the file actually
// written); otherwise 2, 3, 5 or another copy error code, a conversion code, or 82 when the
// tags could not be rewritten.
int PlaceFile(int index, int count, PlacementContext &context);

// PlaceFile in three steps, so that a run can write several files at once while everything
// that depends on their order stays in order:
//   preparePlacement  in placement order: the Miscellaneous number, the final destination
//                     name (before any "(n)"), the checks, the tag changes from the catalog
//   writePlacement    on any thread: the complete, retagged work file (reads no catalog)
//   publishPlacement  in placement order: the work file takes its name
// Each returns 0 or PlaceFile's code for the failure (and reports it); after a failure the
// later steps are not taken. A plan written but not published is removed by discardPlacement.
struct PlacementPlan {
    const formats::FormatRow *format = nullptr;   // the source's format, null when unknown
    bool converting = false;                      // converted to MP3, not copied
    // The name a copy takes: where a source the encoder cannot take goes, as it is.
    std::filesystem::path copyDestination;
    TagRequest request;                           // the tag changes settled from the catalog
    std::filesystem::path work;                   // the complete work file once written
    bool tagsWritten = true;
    formats::io::FileIdentity written;            // the work file's identity, when known
};
int preparePlacement(int index, int count, PlacementContext &context, PlacementPlan &placement);
int writePlacement(PlacementContext &context, PlacementPlan &placement);
int publishPlacement(PlacementContext &context, PlacementPlan &placement);
void discardPlacement(PlacementPlan &placement);

} // namespace tunvale::output
