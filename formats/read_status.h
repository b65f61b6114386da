#pragma once

// What every format reader answers: one status for each cause, the same in every format, and
// a short detail naming the format and what it met ("WAV: format chunk cut short").

#include "formats/audio/regular_file.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tunvale::formats {

enum class ReadStatus {
    Ok,
    CannotOpen,    // the file could not be opened (missing, not a regular file, no access)
    Empty,         // the file holds no byte
    NotThisFormat, // the bytes are not of the format its name says
    CutShort,      // the file ends inside a structure the reader needs
    Unsupported,   // a variant of the format the program does not take
    Damaged,       // a structure that contradicts itself or cannot be decoded
    ReadFailed,    // the system failed a read
    NoMemory,      // memory ran out
};

struct ReadResult {
    ReadStatus status = ReadStatus::Ok;
    std::string detail; // empty when the status says it all

    bool ok() const { return status == ReadStatus::Ok; }
    static ReadResult success() { return {}; }
    static ReadResult failure(ReadStatus status, std::string detail = {}) { return {status, std::move(detail)}; }
};

// The status's short name: "cannot open", "empty file", "cut short", ...
std::string_view statusName(ReadStatus status);

// What the user is shown for a file a reader refused: the detail, or the status's name.
std::string statusText(const ReadResult &result);

// The status of a file a reader has just tried to open: CannotOpen (detail: why) when it could
// not, Empty when it holds no byte, Ok otherwise.
ReadResult openedStatus(bool opened, OpenError error, std::uint64_t size);

} // namespace tunvale::formats
