#pragma once

// The work file of a placement that copies its source: written once, retagged on the way when
// the source's format can tell its retagged copy from the source alone, otherwise copied and
// then retagged by the format's writer.

#include "formats/format_table.h"
#include "formats/io/file_identity.h"
#include "formats/tag_writing.h"
#include "output/placement_context.h"

#include <filesystem>
#include <optional>

namespace tunvale::output {

// What one placement asks of the copy's tags: nothing, changes, or changes that cannot be
// made (failed: the file is copied as it is and reported).
struct TagRequest {
    bool failed = false;
    std::optional<formats::TagChanges> changes;

    bool any() const { return failed || changes.has_value(); }
};

// Writes the source of context (of format, null when unknown) into a new work file beside its
// destination, named in work, with request applied to its tags. tagsWritten tells whether the
// request was met; identity is the work file's identity when known (invalid otherwise). 0, or
// a copy_error code with work cleared and nothing left behind.
int writeWorkFile(PlacementContext &context, const formats::FormatRow *format, const TagRequest &request,
                  std::filesystem::path &work, bool &tagsWritten, formats::io::FileIdentity &identity);

// Has the written work file retagged by its format's writer (or the context's stand-in);
// false when it was not.
bool retagWorkFile(PlacementContext &context, const std::filesystem::path &work, const TagRequest &request);

} // namespace tunvale::output
