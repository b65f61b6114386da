#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tunvale::catalog {

inline constexpr int kGenreCount = 160;

// Name of a genre index 0..159 (Windows-1252 text; "Christian rock " keeps its trailing space).
std::string_view genreName(int index);
// The broader genre of an index (itself when the map has no entry).
int genreParent(int index);
// The first two words of the name's word split, each at most 23 characters ("" when absent).
const std::array<std::string, 2> &genreWords(int index);

} // namespace tunvale::catalog
