#pragma once

// The group key of a file organized by genre: its genre text normalized and, when similitudes
// are accepted, its spelling variants mapped onto the genre table and folded into the parent
// genre.

#include <string>
#include <string_view>

namespace tunvale::catalog {

struct GenreKey {
    // The group key: "Undefined" for an empty genre, empty when the genre cannot be converted.
    std::u16string key;
    // The genre text after normalization (and substitution or table match); the input wide
    // text when nothing replaced it.
    std::u16string genre;
};

// genre is the genre of the tags (UTF-8); genreWide the wide text already taken from it.
GenreKey genreKey(std::string_view genre, std::u16string_view genreWide, bool acceptSimilitudes);

// The substitution of well-known genre spellings ("Chanson" -> "Vocal", " OST" ->
// "Soundtrack", ...): the replacement text, or empty when no pattern is contained.
std::string_view genreSubstitution(std::string_view genre);

} // namespace tunvale::catalog
