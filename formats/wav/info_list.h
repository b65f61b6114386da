#pragma once

#include "formats/audio/byte_reader.h"

namespace tunvale::formats {

// Reads the sub-chunks of a LIST chunk of type INFO (or adtl), given the bytes after the list
// type, into currentTags(): each field only while it is blank (0), so values read before the
// list survive. Afterwards a blank Title takes the Comment.
void ReadInfoList(ByteSpan list);

} // namespace tunvale::formats
