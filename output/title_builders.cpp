#include "output/title_builders.h"

#include "catalog/text/codepage.h"
#include "catalog/text/fold.h"
#include "catalog/text/similarity.h"
#include "catalog/text/word_split.h"
#include "output/name_text.h"

#include <cctype>

namespace tunvale::output {

namespace {

constexpr std::size_t kFieldLimit = 1022;
constexpr std::size_t kResultLimit = 1021;
constexpr std::size_t kMaxRecords = 8;
constexpr float kResemblance = 0.7f;

std::u16string limited(std::u16string text)
{
    if (text.size() > kResultLimit)
        text.resize(kResultLimit);
    return text;
}

// The words are compared on the Windows-1252 view of the texts; the result is built from
// the wide texts themselves, so a title holding characters the code page cannot show keeps
// them.
std::u16string headTitle(std::u16string_view head, std::u16string_view title, std::u16string_view joiner)
{
    if (head.empty() || equalsIgnoreCase(head, u"Undefined"))
        return std::u16string(title);
    head = head.substr(0, std::min(head.size(), kFieldLimit));
    title = title.substr(0, std::min(title.size(), kFieldLimit));

    const text::WordSplit headWords = text::splitWords(projectToCp1252(head));
    if (headWords.count == 0)
        return std::u16string(title);
    const text::WordSplit titleWords = text::splitWords(projectToCp1252(title));

    bool recorded[text::kMaxKeyWords] = {};
    std::size_t records = 0;
    for (std::size_t h = 0; h < headWords.count; ++h) {
        for (std::size_t t = 0; t < titleWords.count; ++t) {
            if (records < kMaxRecords && text::stringSimilarity(headWords.words[h], titleWords.words[t]) > kResemblance) {
                recorded[h] = true;
                ++records;
            }
        }
    }
    // The head is taken as already present.
    if (records == headWords.count || records >= 2)
        return std::u16string(title);

    if (records == 0)
        return limited(std::u16string(head) + u", " + std::u16string(title));

    for (std::size_t h = 0; h < headWords.count; ++h) {
        if (recorded[h])
            continue;
        std::string word = headWords.words[h];
        if (!word.empty())
            word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text::foldChar(word[0]))));
        return limited(text::cp1252ToUtf16(word) + std::u16string(joiner) + std::u16string(title));
    }
    return std::u16string(title);
}

} // namespace

std::u16string ArtistTitle(const catalog::CMetaDat &entry) { return headTitle(entry.Artist, entry.Title, u", "); }

std::u16string ComposerTitle(const catalog::CMetaDat &entry) { return headTitle(entry.Composer, entry.Title, u" "); }

} // namespace tunvale::output
