#pragma once

// What every format's tag writer takes and answers: the changes asked for one copied file and
// the outcome, with the system's reason when a write failed.

#include "formats/io/work_files.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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

class BinaryFile;

// One part of a retagged file: bytes of its own (a tag, a chunk header) when sourceLength is
// 0, otherwise sourceLength bytes of the source from sourceOffset (its audio, kept as it is).
struct OutputPiece {
    std::vector<std::uint8_t> bytes;
    std::uint64_t sourceOffset = 0;
    std::uint64_t sourceLength = 0;
};

// How a retagged copy of a source is made, decided from the source alone, so that the copy
// is written once: Unchanged (the tags already say it: the copy is the source's bytes),
// Rewritten (the copy is pieces, in order) or Failed (the tags cannot be rewritten; the
// caller copies the file as it is and reports it).
struct RetagPlan {
    enum class Outcome { Unchanged, Rewritten, Failed };
    Outcome outcome = Outcome::Failed;
    std::vector<OutputPiece> pieces;

    static RetagPlan unchanged() { return {Outcome::Unchanged, {}}; }
    static RetagPlan failed() { return {Outcome::Failed, {}}; }
};

// A format's tag planner: what a copy of the open source (read-only, at path) with changes
// applied is made of. The file it describes is byte for byte the one the format's TagWriterFn
// leaves in a copy of the source.
using TagPlannerFn = RetagPlan (*)(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes);

} // namespace tunvale::formats
