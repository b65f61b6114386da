#pragma once

// The audio formats the program knows, one row each: everything else asks this table which
// format a file is and what handles it. A new format is a new row here and its own folder
// under formats/.

#include "catalog/records/load_options.h"
#include "formats/pcm_opening.h"
#include "formats/read_status.h"
#include "formats/tag_writing.h"
#include "formats/track_read.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace tunvale::formats {

// A format's reader: fills read (a fresh record) with the tags of the file at path, as they
// are in the file; only reads.
using ReaderFn = ReadResult (*)(const std::filesystem::path &path, const catalog::LoadOptions &options,
                                TrackRead &read);

struct FormatRow {
    // The format's short name: its name on the command line ("mp3").
    std::string_view id;
    // The file name extensions of the format, with their dot, in lower case (".aiff", ".aif");
    // a file's extension is compared without regard to ASCII case.
    std::span<const std::string_view> extensions;
    // The run option that has the format's files sorted, as stored ("MP3_FORMAT"), and its
    // value at first start.
    std::string_view optionName;
    std::int32_t enabledAtFirstStart = 1;
    // The caption of the format's check box in the dialog ("Mp3").
    std::string_view caption;
    // Reads a file's tags.
    ReaderFn read = nullptr;
    // The decoding read for a conversion to MP3; null when files of the format are never
    // converted (they are copied as they are).
    PcmOpenerFn openPcm = nullptr;
    // Retags a copied file of the format.
    TagWriterFn writeTags = nullptr;
    // Tells how a retagged copy is made from the source (the copy writeTags would leave), so
    // that it is written once; null when the format's copies are retagged by writeTags.
    TagPlannerFn planTags = nullptr;
};

// Every row, in the order the formats are offered (check boxes, stored options, the source
// scan's extension list).
std::span<const FormatRow> formatTable();

// The position of row in the table.
std::size_t formatIndex(const FormatRow &row);

// The row whose id is id, or nullptr.
const FormatRow *findFormat(std::string_view id);
// Whether extension (with its dot, any ASCII case) is one of row's.
bool hasExtension(const FormatRow &row, std::u16string_view extension);
// The row of a file name extension (with its dot, any ASCII case), or nullptr. Each caller
// finds the extension of a name by its own rule.
const FormatRow *formatOfExtension(std::u16string_view extension);

} // namespace tunvale::formats
