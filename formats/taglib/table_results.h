#pragma once

// The TagLib-based formats answer the format table's reader and writer calls through these:
// their own read outcome turned into the status every reader gives, and a work-copy edit into
// the writer's answer.

#include "formats/read_status.h"
#include "formats/tag_writing.h"
#include "formats/taglib/tag_read_result.h"
#include "formats/taglib/work_copy_edit.h"

#include <filesystem>
#include <string_view>

namespace tunvale::formats {

// The reader status of result; the detail names the format ("Ogg: damaged header"), but for a
// file that could not be opened, whose reason is the same in every format. A file that holds
// no byte is Empty whatever the reader met.
ReadResult tableReadResult(const TagReadResult &result, std::string_view formatName, const std::filesystem::path &path);

// The writer's answer for a work-copy edit.
WriteResult tableWriteResult(const WorkCopyOutcome &outcome);

// True when changes leave every tag as it is: nothing to write.
bool changesNothing(const TagChanges &changes);

} // namespace tunvale::formats
