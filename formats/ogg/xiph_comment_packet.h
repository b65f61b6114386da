#pragma once

// The body of a Vorbis comment packet, as Ogg Vorbis and Opus carry it after their codec's
// magic ("\x03vorbis", "OpusTags"): a vendor string, a count, that many "KEY=value" entries
// (each a 32-bit little-endian length and its bytes) and whatever follows the last entry
// (Vorbis's framing bit, Opus's padding), which an edit keeps as it was.

#include <string>
#include <string_view>
#include <vector>

namespace tunvale::formats {

struct XiphCommentPacket {
    std::string_view vendor;
    std::vector<std::string_view> entries;   // in file order, views into the parsed body
    std::string_view trailing;
    // False when the count promised more entries than the body holds: the entries read
    // before the damage are kept, but the packet cannot be rebuilt faithfully.
    bool complete = false;
};

// Reads a comment body. Lengths are checked against the bytes left, so a damaged count or
// length never reads past the body nor reserves more than it holds. False when not even the
// vendor string and the count are there.
bool parseXiphComments(std::string_view body, XiphCommentPacket &packet);

// The comment changes one placement asks for; values in UTF-8, an empty value leaves the key.
struct XiphCommentEdit {
    std::string title;
    std::string artist;
    std::string track;        // decimal text
    std::string totalTracks;  // decimal text
    bool removePictures = false;
};

// The body with edit applied: each set key replaces the first entry of that key (compared
// without regard to ASCII case) in its place and drops the others, or is appended when the
// key is absent; with removePictures the METADATA_BLOCK_PICTURE entries and the older
// COVERART and COVERARTMIME ones are dropped. Every other entry, the vendor and the trailing
// bytes are kept byte for byte. Empty when the result cannot be written (over 4 GiB).
std::string renderXiphComments(const XiphCommentPacket &packet, const XiphCommentEdit &edit);

// The key of an entry (the bytes before its first '='), or the whole entry when it has none.
std::string_view xiphCommentKey(std::string_view entry);
// True when two keys are equal without regard to ASCII case.
bool sameXiphKey(std::string_view a, std::string_view b);

} // namespace tunvale::formats
