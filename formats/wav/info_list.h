#pragma once

#include "catalog/records/current_tags.h"
#include "formats/audio/byte_reader.h"

namespace tunvale::formats {

// Reads the sub-chunks of a LIST chunk of type INFO (or adtl), given the bytes after the list
// type, into tags: each field only while it is blank (0), so values read before the list
// survive. Afterwards a blank Title takes the Comment.
void ReadInfoList(ByteSpan list, catalog::CurrentTags &tags);

} // namespace tunvale::formats
