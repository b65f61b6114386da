#include "output/title_builders.h"

#include "catalog/text/codepage.h"
#include "catalog/text/unicode/clusters.h"
#include "catalog/text/unicode/fold.h"
#include "catalog/text/unicode/similarity.h"
#include "catalog/text/unicode/trim.h"
#include "catalog/text/unicode/word_split.h"
#include "output/name_text.h"

namespace tunvale::output {

namespace {

namespace u = text::unicode;

constexpr std::size_t kFieldLimit = 1022;    // characters
constexpr std::size_t kResultLimit = 1021;   // characters
constexpr std::size_t kMaxRecords = 8;
constexpr float kResemblance = 0.7f;

std::u16string limited(std::string_view text)
{
    return text::utf8ToUtf16(u::boundedCopy(text, kResultLimit));
}

// The words are compared folded; the result is built from the texts themselves, so their
// accents and scripts stay.
std::u16string headTitle(std::u16string_view wideHead, std::u16string_view wideTitle, std::string_view joiner)
{
    if (wideHead.empty() || equalsIgnoreCase(wideHead, u"Undefined"))
        return std::u16string(wideTitle);
    const std::string head = u::boundedCopy(text::utf16ToUtf8(wideHead), kFieldLimit);
    const std::string title = u::boundedCopy(text::utf16ToUtf8(wideTitle), kFieldLimit);

    const u::WordSplit headWords = u::splitWords(head);
    if (headWords.count == 0)
        return text::utf8ToUtf16(title);
    const u::WordSplit titleWords = u::splitWords(title);

    bool recorded[u::kMaxKeyWords] = {};
    std::size_t records = 0;
    for (std::size_t h = 0; h < headWords.count; ++h) {
        for (std::size_t t = 0; t < titleWords.count; ++t) {
            if (records < kMaxRecords && u::stringSimilarity(headWords.words[h], titleWords.words[t]) > kResemblance) {
                recorded[h] = true;
                ++records;
            }
        }
    }
    // The head is taken as already present.
    if (records == headWords.count || records >= 2)
        return text::utf8ToUtf16(title);

    if (records == 0)
        return limited(head + ", " + title);

    for (std::size_t h = 0; h < headWords.count; ++h) {
        if (recorded[h])
            continue;
        // The missing word as the head spells it, first letter in upper case.
        const std::string_view word =
            std::string_view(head).substr(headWords.starts[h], headWords.ends[h] - headWords.starts[h]);
        return limited(u::upperFirst(word) + std::string(joiner) + title);
    }
    return text::utf8ToUtf16(title);
}

} // namespace

std::u16string ArtistTitle(const catalog::CMetaDat &entry) { return headTitle(entry.Artist, entry.Title, ", "); }

std::u16string ComposerTitle(const catalog::CMetaDat &entry) { return headTitle(entry.Composer, entry.Title, " "); }

} // namespace tunvale::output
