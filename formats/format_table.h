#pragma once

// The audio formats the program knows, one row each: everything else asks this table which
// format a file is and what handles it. A new format is a new row here and its own folder
// under formats/.

#include "formats/tag_writing.h"

#include <span>
#include <string_view>

namespace tunvale::formats {

struct FormatRow {
    // The format's short name: its name on the command line ("mp3").
    std::string_view id;
    // The file name extensions of the format, with their dot, in lower case (".aiff", ".aif");
    // a file's extension is compared without regard to ASCII case.
    std::span<const std::string_view> extensions;
    // Retags a copied file of the format.
    TagWriterFn writeTags = nullptr;
};

// Every row, in the order the formats are offered.
std::span<const FormatRow> formatTable();

// The row whose id is id, or nullptr.
const FormatRow *findFormat(std::string_view id);
// The row of a file name extension (with its dot, any ASCII case), or nullptr. Each caller
// finds the extension of a name by its own rule.
const FormatRow *formatOfExtension(std::u16string_view extension);

} // namespace tunvale::formats
