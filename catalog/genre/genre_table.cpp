#include "catalog/genre/genre_table.h"

#include "catalog/text/unicode/word_split.h"

#include <algorithm>
#include <utility>

namespace tunvale::catalog {

namespace {

// Entries 0..147 follow the ID3v1 genre numbering and its common extension in our own
// spelling; 148..159 are our additions.
constexpr std::array<std::string_view, kGenreCount> kGenreNames = {
    "Blues", "Classic rock", "Country", "Dance", "Disco",                            // 0
    "Funk", "Grunge", "Hip-hop", "Jazz", "Metal",                                    // 5
    "New age", "Oldies", "Other", "Pop", "R&b",                                      // 10
    "Rap", "Reggae", "Rock", "Techno", "Industrial",                                 // 15
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack",                     // 20
    "Euro-techno", "Ambient", "Trip-hop", "Vocal", "Jazz+funk",                      // 25
    "Fusion", "Trance", "Classical", "Instrumental", "Acid",                         // 30
    "House", "Game", "Sound clip", "Gospel", "Noise",                                // 35
    "Alternrock", "Bass", "Soul", "Punk", "Space",                                   // 40
    "Meditative", "Instrumental pop", "Instrumental rock", "Ethnic", "Gothic",       // 45
    "Darkwave", "Techno-industrial", "Electronic", "Pop-folk", "Eurodance",          // 50
    "Dream", "Southern rock", "Comedy", "Cult", "Gangsta",                           // 55
    "Hit Top", "Christian rap", "Pop/funk", "Jungle", "Native american",             // 60
    "Cabaret", "New wave", "Psychedelic", "Rave", "Showtunes",                       // 65
    "Trailer", "Lo-fi", "Tribal", "Acid punk", "Acid jazz",                          // 70
    "Polka", "Retro", "Musical", "Rock & roll", "Hard rock",                         // 75
    "Folk", "Folk-rock", "National folk", "Swing", "Fast fusion",                    // 80
    "Bebob", "Latin", "Revival", "Celtic", "Bluegrass",                              // 85
    "Avantgarde", "Gothic rock", "Progressive rock", "Psychedelic rock", "Symphonic rock", // 90
    "Soft rock", "Big band", "Chorus", "Easy listening", "Acoustic",                 // 95
    "Humour", "Speech", "Chanson", "Opera", "Chamber music",                         // 100
    "Sonata", "Symphony", "Booty bass", "Primus", "Porn groove",                     // 105
    "Satire", "Slow", "Club", "Tango", "Samba",                                      // 110
    "Folklore", "Ballad", "Power ballad", "Rhythmic soul", "Freestyle",              // 115
    "Duet", "Punk rock", "Drum solo", "A capella", "Euro-house",                     // 120
    "Dance hall", "Goa", "Drum & bass", "Club-house", "Hardcore",                    // 125
    "Terror", "Indie", "Britpop", "Negerpunk", "Polsk punk",                         // 130
    "Beat", "Christian gangsta rap", "Heavy metal", "Black metal", "Crossover",      // 135
    "Contemporary christian", "Christian rock ", "Merengue", "Salsa", "Trash metal", // 140
    "Anime", "Jpop", "Synthpop", "Song", "Spiritual",                                // 145
    "Pop Rock", "Romantic", "Blue eyed", "Slow rock", "Eurovision",                  // 150
    "Twist", "Orchestral", "Bubblegum pop", "Electro Pop", "Soul Funk",              // 155
};

// Genres folded into a broader one when similitudes are accepted; every other index is its
// own parent. Note 137 (Heavy metal) maps to 15 (Rap), not to 9 (Metal).
constexpr std::pair<int, int> kParents[] = {
    {1, 17},    {22, 9},    {25, 18},   {27, 7},    {46, 33},   {47, 33},   {51, 18},
    {53, 80},   {54, 3},    {56, 17},   {61, 15},   {62, 5},    {73, 34},   {74, 34},
    {75, 3},    {76, 11},   {77, 33},   {78, 17},   {79, 17},   {81, 80},   {82, 80},
    {83, 3},    {91, 49},   {93, 67},   {94, 92},   {104, 32},  {113, 3},   {114, 3},
    {118, 42},  {121, 17},  {124, 35},  {125, 3},   {128, 35},  {133, 43},  {134, 43},
    {136, 15},  {137, 15},  {138, 9},   {141, 17},  {142, 3},   {143, 3},   {144, 9},
    {146, 13},  {148, 28},  {149, 38},  {150, 17},  {152, 42},  {153, 95},  {156, 33},
    {157, 13},  {158, 52},  {159, 42},
};
static_assert(std::size(kParents) == 52, "the parent map has 52 entries");

constexpr std::size_t kGenreWordLength = 23;

using GenreWords = std::array<std::array<std::string, 2>, kGenreCount>;

GenreWords buildGenreWords()
{
    GenreWords words;
    for (int index = 0; index < kGenreCount; ++index) {
        const text::unicode::WordSplit split = text::unicode::splitWords(kGenreNames[static_cast<std::size_t>(index)]);
        for (std::size_t slot = 0; slot < 2 && slot < split.count; ++slot)
            words[static_cast<std::size_t>(index)][slot] = split.words[slot].substr(0, kGenreWordLength);
    }
    return words;
}

bool inRange(int index) { return index >= 0 && index < kGenreCount; }

} // namespace

std::string_view genreName(int index)
{
    return inRange(index) ? kGenreNames[static_cast<std::size_t>(index)] : std::string_view();
}

int genreParent(int index)
{
    for (const auto &[genre, parent] : kParents) {
        if (genre == index)
            return parent;
    }
    return index;
}

const std::array<std::string, 2> &genreWords(int index)
{
    // Built on first use; the initialisation of a local static is thread-safe.
    static const GenreWords words = buildGenreWords();
    static const std::array<std::string, 2> none;
    return inRange(index) ? words[static_cast<std::size_t>(index)] : none;
}

} // namespace tunvale::catalog
