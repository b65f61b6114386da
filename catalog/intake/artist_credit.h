#pragma once

// How an artist text credits more than one artist: "Daft Punk feat. Pharrell Williams",
// "Queen, David Bowie", "Johnny Cash with June Carter". The main artist leads the text; the
// group follows it, while the copy keeps the whole credit.
//
// "feat.", "feat", "ft.", "ft" and "featuring" (any case, also after "(" or "[") always bring
// in a guest, when a word follows them and they are not the first word ("Little Feat" is a
// name). "&" and "with" are ambiguous: "Simon & Garfunkel" is one act, "Beyoncé & Jay-Z"
// two artists. The text alone cannot tell, so the part before them is only offered as the
// main artist (jointMain); the catalog takes it when another file of the library is credited
// to that artist alone.

#include <cstddef>
#include <string>
#include <string_view>

namespace tunvale::catalog {

struct ArtistCredit {
    std::size_t mainEnd = 0;  // bytes of the main artist (before a guest marker or a name separator)
    std::size_t jointEnd = 0; // bytes before the first "&" or "with" within the main artist; 0: none
};

// Reads the credit of a UTF-8 artist text. A name separator ("-,;\/|" and their other forms)
// ends the main artist only from the sixth character on, so short names such as "AC/DC" stay
// whole. Without any marker mainEnd is the text's size.
ArtistCredit readArtistCredit(std::string_view text);

// The whole credit in the title case of the catalog's names (lower case, then the first
// character and the first of every word of 4 characters or more in upper case), except that
// the marker words keep their own spelling: "DAFT PUNK feat. PHARRELL" reads
// "Daft Punk feat. Pharrell", "JOHNNY CASH with JUNE CARTER" reads "Johnny Cash with June Carter".
std::string creditTitleCase(std::string_view text);

} // namespace tunvale::catalog
