#pragma once

#include "catalog/records/catalog.h"
#include "catalog/records/load_options.h"
#include "formats/format_table.h"
#include "formats/read_status.h"
#include "formats/track_read.h"

#include <filesystem>

namespace tunvale::engine {

// Loads one file into a run's catalog: reads it with its format's reader into read (a fresh
// record), completes the tags (from the other tags, and from the file name when
// options.tagsFromName is set) and takes them into catalog as one entry keyed for the
// criterion. A file the reader refused is reported with the reader's status and gets no entry.
// asRead, when given, receives the tags as the reader found them, before completion.
formats::ReadResult loadTrack(const formats::FormatRow &format, const std::filesystem::path &path, int criterionCode,
                              const catalog::LoadOptions &options, catalog::Catalog &catalog, formats::TrackRead &read,
                              catalog::CurrentTags *asRead = nullptr);

} // namespace tunvale::engine
