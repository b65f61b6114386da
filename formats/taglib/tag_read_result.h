#pragma once

// What a TagLib-based reader answers: whether it took the file and, when not, a short reason
// for the skipped-file report ("not a regular file", "holds video").

#include <string>
#include <string_view>

namespace tunvale::formats {

enum class TagReadError {
    None,
    Open,           // the file could not be opened (reason from the open)
    TooLarge,       // past what the stream can address
    NotRecognized,  // not the format its extension names
    Unsupported,    // the format, but content the program does not take (video, another codec)
    Damaged,        // the structure is broken or past the reader's limits
    ReadFailed,     // the system failed a read
};

struct TagReadResult {
    TagReadError error = TagReadError::None;
    std::string reason;

    bool ok() const { return error == TagReadError::None; }
    static TagReadResult success() { return {}; }
    static TagReadResult failure(TagReadError error, std::string_view reason) { return {error, std::string(reason)}; }
};

} // namespace tunvale::formats
