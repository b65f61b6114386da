#pragma once

// The format tag writers called the way the format tests call them: the changes one by one,
// under work names of the call's own; 1 when the writer wrote, 0 otherwise.

#include "formats/tag_writing.h"

#include <filesystem>
#include <string>

namespace tunvale::testing {

inline int callWriter(formats::TagWriterFn writer, const std::filesystem::path &path, std::u16string title,
                      std::u16string artist, int track, int totalTracks, bool removePictures)
{
    formats::io::WorkNames names;
    const formats::TagChanges changes{std::move(title), std::move(artist), track, totalTracks, removePictures};
    return writer(path, changes, names).written ? 1 : 0;
}

} // namespace tunvale::testing
