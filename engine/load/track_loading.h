#pragma once

#include "catalog/records/catalog.h"
#include "catalog/records/load_options.h"
#include "formats/format_table.h"
#include "formats/read_status.h"
#include "formats/track_read.h"

#include <filesystem>
#include <functional>

namespace tunvale::engine {

// The first half of a loader, readTrack's shape: fills a fresh record from one file, its tags
// completed (and asRead, when given, with the tags before completion), and touches nothing
// shared, so that it may run on any thread.
using ReadTrackFn = std::function<formats::ReadResult(const std::filesystem::path &path,
                                                      const catalog::LoadOptions &options,
                                                      formats::TrackRead &read, catalog::CurrentTags *asRead)>;

// Reads one file with its format's reader into read (a fresh record) and completes the tags
// (from the other tags, and from the file name when options.tagsFromName is set). asRead,
// when given, receives the tags as the reader found them, before completion.
formats::ReadResult readTrack(const formats::FormatRow &format, const std::filesystem::path &path,
                              const catalog::LoadOptions &options, formats::TrackRead &read,
                              catalog::CurrentTags *asRead = nullptr);

// readTrack for the format of row, as a ReadTrackFn made once per row of the format table.
const ReadTrackFn &formatReader(const formats::FormatRow &row);

// The second half: takes a record readTrack filled into catalog as one entry keyed for the
// criterion.
void takeTrack(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options,
               const formats::TrackRead &read, catalog::Catalog &catalog);

// Loads one file into a run's catalog: readTrack, then takeTrack. A file the reader refused is
// reported with the reader's status and gets no entry.
formats::ReadResult loadTrack(const formats::FormatRow &format, const std::filesystem::path &path, int criterionCode,
                              const catalog::LoadOptions &options, catalog::Catalog &catalog, formats::TrackRead &read,
                              catalog::CurrentTags *asRead = nullptr);

} // namespace tunvale::engine
