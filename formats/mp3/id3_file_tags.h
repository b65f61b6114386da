#pragma once

// The ID3 tags of an MP3 file, read by the program and handed to libid3tag as bytes: the
// library never opens the file, and every ID3v2 tag is cleaned first (see
// id3v2_tag_cleaner.h).

#include "formats/audio/binary_file.h"

#include <memory>

struct id3_tag;

namespace tunvale::formats {

struct Id3TagDeleter {
    void operator()(id3_tag *tag) const;
};
using Id3TagPtr = std::unique_ptr<id3_tag, Id3TagDeleter>;

// The file's tags merged the way libid3tag's own file reading merges them: the ID3v1 tag in
// the last 128 bytes, replaced by the ID3v2 tag at the start of the file, replaced in turn by
// an ID3v2.4 tag appended at the end (found by its footer, before any ID3v1 tag); a tag that
// declares itself an update adds its frames instead of replacing. A tag that cannot be read
// is passed over. A tag without frames when the file holds none; null only when memory runs
// out.
Id3TagPtr readMergedId3Tags(BinaryFile &file);

} // namespace tunvale::formats
