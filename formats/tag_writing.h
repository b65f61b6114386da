#pragma once

// What every format's tag writer takes and answers: the changes asked for one copied file and
// the outcome, with the system's reason when a write failed.

#include "formats/io/work_files.h"

#include <filesystem>
#include <string>

namespace tunvale::formats {

// The tags one placement sets in a copy. An empty text or a number of 0 or less leaves the
// file's own value.
struct TagChanges {
    std::u16string title;
    std::u16string artist;
    int track = 0;
    int totalTracks = 0;
    bool removePictures = false;
};

// A writer's answer. systemError is the error number (errno) of a write the system refused
// (a full disk, a read-only or failing device), 0 when the failure had no such reason.
struct WriteResult {
    bool written = false;
    int systemError = 0;

    static WriteResult success() { return {true, 0}; }
    static WriteResult failure(int error = 0) { return {false, error}; }
};

// A format's tag writer: retags the file at path. A writer that needs a file beside it (a tag
// that grows) takes its name from names, the names of the run's work files.
using TagWriterFn = WriteResult (*)(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names);

} // namespace tunvale::formats
