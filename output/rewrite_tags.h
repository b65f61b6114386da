#pragma once

#include "formats/format_table.h"
#include "formats/io/work_files.h"
#include "formats/tag_writing.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace tunvale::output {

// Stands in for the format table's writers (tests record the calls with it): given the format
// the name stands for, the file and the changes.
using TagWriterOverride = std::function<formats::WriteResult(
    const formats::FormatRow &format, const std::filesystem::path &path, const formats::TagChanges &changes)>;

// Has the file at path retagged by the writer of the format of named, the name it has or is
// going to take (its extension compared in lower case): a file written under a work name is
// retagged before it takes its final name. Not written when the writer failed or the extension
// names no format. override, when given, is called instead of the format's writer.
formats::WriteResult RewriteTags(const std::filesystem::path &path, const std::filesystem::path &named,
                                 const formats::TagChanges &changes, formats::io::WorkNames &names,
                                 const TagWriterOverride *override = nullptr);

} // namespace tunvale::output
