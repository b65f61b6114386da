#include "catalog/text/unicode/characters.h"

#include "catalog/text/codepage.h"
#include "catalog/text/fold.h"

#include <utf8proc.h>

#include <algorithm>
#include <array>
#include <iterator>

namespace tunvale::text::unicode {

namespace {

// Latin letters that carry a stroke, bar or similar and have no canonical decomposition, with
// the plain letter they fold to. Letters of the same kind that Windows-1252 holds (Ø, Đ's
// cousin Ð, Æ, Œ ...) fold through the 8-bit table instead.
struct LetterFold {
    char32_t letter;
    char32_t plain;
};

constexpr LetterFold kLetterFolds[] = {
    {0x0110, 'D'}, {0x0111, 'd'},   // D with stroke
    {0x0126, 'H'}, {0x0127, 'h'},   // H with stroke
    {0x0131, 'i'},                  // dotless i
    {0x0132, 'I'}, {0x0133, 'i'},   // ligature IJ, first letter as for OE
    {0x013F, 'L'}, {0x0140, 'l'},   // L with middle dot
    {0x0141, 'L'}, {0x0142, 'l'},   // L with stroke
    {0x0166, 'T'}, {0x0167, 't'},   // T with stroke
    {0x0180, 'b'},                  // b with stroke
    {0x0191, 'F'},                  // F with hook (its small form is in Windows-1252)
    {0x0197, 'I'},                  // I with stroke
    {0x019A, 'l'},                  // l with bar
    {0x01B5, 'Z'}, {0x01B6, 'z'},   // Z with stroke
    {0x01E4, 'G'}, {0x01E5, 'g'},   // G with stroke
    {0x0237, 'j'},                  // dotless j
    {0x023A, 'A'},                  // A with stroke
    {0x023B, 'C'}, {0x023C, 'c'},   // C with stroke
    {0x023D, 'L'},                  // L with bar
    {0x023E, 'T'},                  // T with diagonal stroke
    {0x0243, 'B'},                  // B with stroke
    {0x0246, 'E'}, {0x0247, 'e'},   // E with stroke
    {0x0248, 'J'}, {0x0249, 'j'},   // J with stroke
    {0x024C, 'R'}, {0x024D, 'r'},   // R with stroke
    {0x024E, 'Y'}, {0x024F, 'y'},   // Y with stroke
    {0x0268, 'i'},                  // i with stroke
    {0x1E9E, 'S'},                  // capital sharp s, as the small one in the 8-bit table
};

bool isCategory(char32_t codePoint, std::initializer_list<utf8proc_category_t> categories)
{
    const utf8proc_category_t category = utf8proc_category(static_cast<utf8proc_int32_t>(codePoint));
    return std::find(categories.begin(), categories.end(), category) != categories.end();
}

bool inRange(char32_t codePoint, char32_t first, char32_t last) { return codePoint >= first && codePoint <= last; }

// The marks accent folding drops: the combining diacritics shared by the Latin, Greek and
// Cyrillic scripts, Hebrew points and Arabic vowel signs. Marks that change the letter of
// their script (kana voicing, Indic signs, Thai vowels and tones ...) are kept.
bool isDroppedMark(char32_t codePoint)
{
    if (codePoint < 0x0300)
        return false;
    if (codePoint <= 0x036F)
        return true;
    if (inRange(codePoint, 0x0591, 0x05C7) || inRange(codePoint, 0x0610, 0x061A) ||
        inRange(codePoint, 0x064B, 0x065F) || codePoint == 0x0670 || inRange(codePoint, 0x06D6, 0x06ED))
        return isCategory(codePoint, {UTF8PROC_CATEGORY_MN});
    if (inRange(codePoint, 0x1AB0, 0x1AFF) || inRange(codePoint, 0x1DC0, 0x1DFF) ||
        inRange(codePoint, 0x20D0, 0x20FF) || inRange(codePoint, 0xFE20, 0xFE2F))
        return isCategory(codePoint, {UTF8PROC_CATEGORY_MN, UTF8PROC_CATEGORY_ME});
    return false;
}

// Ranges without any decomposition that matters to folding (ideographs, Hangul syllables,
// whose decomposition into jamo holds no mark).
bool foldsToItself(char32_t codePoint)
{
    return inRange(codePoint, 0x3400, 0x9FFF) || inRange(codePoint, 0xAC00, 0xD7A3) ||
           inRange(codePoint, 0x20000, 0x2F7FF) || inRange(codePoint, 0x30000, 0x3FFFF);
}

char32_t fromCp1252Byte(int byte) { return text::cp1252ToUnit(static_cast<unsigned char>(byte)); }

// A letter without marks: the 8-bit table for Windows-1252 characters, the letter table, or
// the letter itself.
char32_t foldBase(char32_t codePoint)
{
    const int byte = cp1252ByteOf(codePoint);
    if (byte >= 0)
        return static_cast<unsigned char>(text::foldChar(static_cast<char>(byte)));
    const auto found = std::lower_bound(std::begin(kLetterFolds), std::end(kLetterFolds), codePoint,
                                        [](const LetterFold &entry, char32_t key) { return entry.letter < key; });
    if (found != std::end(kLetterFolds) && found->letter == codePoint)
        return found->plain;
    return codePoint;
}

char32_t foldBeyondCp1252(char32_t codePoint)
{
    if (isDroppedMark(codePoint))
        return 0;
    if (foldsToItself(codePoint))
        return codePoint;
    std::array<utf8proc_int32_t, 8> parts{};
    utf8proc_int32_t boundClass = 0;
    const utf8proc_ssize_t count =
        utf8proc_decompose_char(static_cast<utf8proc_int32_t>(codePoint), parts.data(),
                                static_cast<utf8proc_ssize_t>(parts.size()), UTF8PROC_DECOMPOSE, &boundClass);
    if (count <= 0 || count > static_cast<utf8proc_ssize_t>(parts.size()))
        return codePoint;
    std::array<char32_t, 8> kept{};
    std::size_t keptCount = 0;
    bool dropped = false;
    for (utf8proc_ssize_t i = 0; i < count; ++i) {
        const auto part = static_cast<char32_t>(parts[static_cast<std::size_t>(i)]);
        if (isDroppedMark(part))
            dropped = true;
        else
            kept[keptCount++] = part;
    }
    if (!dropped) {
        // Nothing to drop: a letter of its own (or a canonical singleton such as the Kelvin
        // sign, folded as the letter it stands for); a decomposition into a letter and a
        // mark of its script (が, क़) keeps the letter whole.
        return count == 1 ? foldBase(kept[0]) : codePoint;
    }
    if (keptCount == 0)
        return 0;
    if (keptCount == 1)
        return foldBase(kept[0]);
    return codePoint;   // a letter with marks of both kinds stays whole
}

} // namespace

int cp1252ByteOf(char32_t codePoint)
{
    if (codePoint < 0x80 || inRange(codePoint, 0xA0, 0xFF))
        return static_cast<int>(codePoint);
    // Windows-1252 0x80..0x9F (the five unassigned bytes as their C1 controls).
    switch (codePoint) {
    case 0x20AC: return 0x80;
    case 0x0081: return 0x81;
    case 0x201A: return 0x82;
    case 0x0192: return 0x83;
    case 0x201E: return 0x84;
    case 0x2026: return 0x85;
    case 0x2020: return 0x86;
    case 0x2021: return 0x87;
    case 0x02C6: return 0x88;
    case 0x2030: return 0x89;
    case 0x0160: return 0x8A;
    case 0x2039: return 0x8B;
    case 0x0152: return 0x8C;
    case 0x008D: return 0x8D;
    case 0x017D: return 0x8E;
    case 0x008F: return 0x8F;
    case 0x0090: return 0x90;
    case 0x2018: return 0x91;
    case 0x2019: return 0x92;
    case 0x201C: return 0x93;
    case 0x201D: return 0x94;
    case 0x2022: return 0x95;
    case 0x2013: return 0x96;
    case 0x2014: return 0x97;
    case 0x02DC: return 0x98;
    case 0x2122: return 0x99;
    case 0x0161: return 0x9A;
    case 0x203A: return 0x9B;
    case 0x0153: return 0x9C;
    case 0x009D: return 0x9D;
    case 0x017E: return 0x9E;
    case 0x0178: return 0x9F;
    default: return -1;
    }
}

namespace detail {

char32_t foldCharSlow(char32_t codePoint)
{
    const int byte = cp1252ByteOf(codePoint);
    if (byte >= 0)
        return static_cast<unsigned char>(text::foldChar(static_cast<char>(byte)));
    return foldBeyondCp1252(codePoint);
}

bool isFoldedAlphaSlow(char32_t codePoint)
{
    const int byte = cp1252ByteOf(codePoint);
    if (byte >= 0)
        return text::isFoldedAlpha(static_cast<char>(byte));
    // Folding keeps a letter a letter (and drops marks, which are not letters).
    return isCategory(codePoint, {UTF8PROC_CATEGORY_LU, UTF8PROC_CATEGORY_LL, UTF8PROC_CATEGORY_LT,
                                  UTF8PROC_CATEGORY_LM, UTF8PROC_CATEGORY_LO});
}

bool isFoldedDigitSlow(char32_t codePoint)
{
    const int byte = cp1252ByteOf(codePoint);
    if (byte >= 0)
        return text::isFoldedDigit(static_cast<char>(byte));
    return isCategory(codePoint, {UTF8PROC_CATEGORY_ND, UTF8PROC_CATEGORY_NL});
}

bool isWordJoiningSlow(char32_t codePoint)
{
    if (codePoint == 0x200C || codePoint == 0x200D)
        return true;
    return isCategory(codePoint, {UTF8PROC_CATEGORY_MN, UTF8PROC_CATEGORY_MC, UTF8PROC_CATEGORY_ME});
}

char32_t toUpperSlow(char32_t codePoint)
{
    const int byte = cp1252ByteOf(codePoint);
    if (byte >= 0)
        return fromCp1252Byte(static_cast<unsigned char>(text::cp1252ToUpper(static_cast<char>(byte))));
    return static_cast<char32_t>(utf8proc_toupper(static_cast<utf8proc_int32_t>(codePoint)));
}

char32_t toLowerSlow(char32_t codePoint)
{
    const int byte = cp1252ByteOf(codePoint);
    if (byte >= 0)
        return fromCp1252Byte(static_cast<unsigned char>(text::cp1252ToLower(static_cast<char>(byte))));
    return static_cast<char32_t>(utf8proc_tolower(static_cast<utf8proc_int32_t>(codePoint)));
}

char32_t toTitleSlow(char32_t codePoint)
{
    if (isCp1252(codePoint))
        return toUpperSlow(codePoint);
    return static_cast<char32_t>(utf8proc_totitle(static_cast<utf8proc_int32_t>(codePoint)));
}

char32_t caseFoldSlow(char32_t codePoint)
{
    if (isCp1252(codePoint))
        return toLowerSlow(codePoint);
    // Lower case of the upper case: one form for σ and ς, ſ and s, the Kelvin sign and k.
    const char32_t upper = toUpper(codePoint);
    return upper == codePoint ? toLower(codePoint) : toLower(upper);
}

} // namespace detail

bool isSpaceOrControl(char32_t codePoint)
{
    if (codePoint <= 32)
        return true;
    if (codePoint < 0x80 || isCp1252(codePoint))
        return false;
    return isCategory(codePoint, {UTF8PROC_CATEGORY_ZS, UTF8PROC_CATEGORY_ZL, UTF8PROC_CATEGORY_ZP,
                                  UTF8PROC_CATEGORY_CC});
}

bool isIdeographic(char32_t codePoint)
{
    if (codePoint < 0x3005)
        return false;
    return inRange(codePoint, 0x3005, 0x3007) || inRange(codePoint, 0x3021, 0x3029) ||
           inRange(codePoint, 0x3038, 0x303B) || inRange(codePoint, 0x3041, 0x309F) ||
           inRange(codePoint, 0x30A0, 0x30FF) || inRange(codePoint, 0x31F0, 0x31FF) ||
           inRange(codePoint, 0x3400, 0x4DBF) || inRange(codePoint, 0x4E00, 0x9FFF) ||
           inRange(codePoint, 0xF900, 0xFAFF) || inRange(codePoint, 0xFF66, 0xFF9F) ||
           inRange(codePoint, 0x20000, 0x3134F);
}

} // namespace tunvale::text::unicode
