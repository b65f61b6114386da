#pragma once

// The account a run gives of the files it did not take or could not place: the kind of each
// reason, the entries the run records, and the one line that tells of them after the summary.

#include "engine/session/session_state.h"
#include "formats/read_status.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tunvale::engine {

// The kind's name in the report: "unreadable", "not audio", "damaged", "format not handled",
// "folder not readable", "path too long", "no name".
std::string_view skipKindName(SkipKind kind);

// A file a reader refused with status.
SkippedFile readSkip(const std::filesystem::path &path, const formats::ReadResult &status);
// A folder of the source that could not be listed (error: the system's reason).
SkippedFile folderSkip(const std::filesystem::path &folder, const std::error_code &error);
// A file in a format the program does not read.
SkippedFile notHandledSkip(const std::filesystem::path &path);
// A file of a group for which no name could be built.
SkippedFile noNameSkip(const std::filesystem::path &path);

// The message of the files a run leaves in a folder after one of them failed.
std::u16string groupStoppedMessage();
// The message of the files a run leaves when a folder could not be created.
std::u16string runStoppedMessage();

// True when the file's extension is one of an audio format (by the names audio files commonly
// carry) that no row of the format table reads.
bool isUnhandledAudio(const std::filesystem::path &path);

// True when the path is longer than the system takes (in all, or one of its components).
bool isPathTooLong(const std::filesystem::path &path);

// Everything the run did not take: what the scan left out, then what the loaders refused.
std::vector<SkippedFile> allSkipped(const SessionState &session);

// "k files skipped, m failed (tunvale-cli organize --json for the list)"-like line: the counts
// followed by where to find the list; empty when both are 0.
std::string accountLine(std::size_t skipped, std::size_t failed, std::string_view whereToLook);

} // namespace tunvale::engine
