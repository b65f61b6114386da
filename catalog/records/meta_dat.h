#pragma once

#include "catalog/text/unicode/word_split.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tunvale::catalog {

// One catalog entry: a file read in the current run, with its group key and the texts used
// to name and retag its copy. Every text setter stores the file-name-safe form.
class CMetaDat {
public:
    // Copies the path, stores the file-name-safe key as GroupName and splits the key (its
    // first 1022 characters) into KeyWords.
    CMetaDat(std::filesystem::path path, std::u16string_view groupKey);

    // Keys the entry anew: GroupName and KeyWords as the constructor makes them.
    void setGroupKey(std::u16string_view groupKey);

    void setArtist(std::u16string_view artist);
    void setComposer(std::u16string_view composer);
    void setTitle(std::u16string_view title);
    void setTrackText(std::u16string_view trackText);

    std::filesystem::path Path;
    std::u16string GroupName;
    std::u16string Artist;
    std::u16string Composer;
    std::u16string Title;
    std::u16string TrackText;
    std::array<std::string, text::unicode::kMaxKeyWords> KeyWords;   // UTF-8
    std::int32_t KeyWordCount = 0;
    // Grouped by artist, with a credit whose key names several artists joined by "&" or
    // "with" ("Beyoncé & Jay-Z"): the first of them. The catalog keys the entry by it when
    // another entry is keyed by that artist alone (see Catalog::append); empty otherwise.
    std::u16string JointMain;
    std::int32_t Placed = 0;
};

} // namespace tunvale::catalog
