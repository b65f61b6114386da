#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"

#include "catalog/text/codepage.h"
#include "catalog/text/names.h"
#include "catalog/text/unicode/characters.h"
#include "catalog/text/unicode/clusters.h"
#include "catalog/text/unicode/utf8.h"
#include "catalog/text/unicode/word_split.h"

namespace tunvale::catalog {

namespace {
// The group key is split into words from at most this many characters.
constexpr std::size_t kMaxKeyCharacters = 1022;

// A name as folded comparisons see it: accents folded, upper case, dropped marks left out.
std::string comparedName(std::u16string_view name)
{
    const std::string utf8 = text::utf16ToUtf8(name);
    std::string out;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t folded = text::unicode::foldChar(text::unicode::nextCodePoint(utf8, pos));
        if (folded != 0)
            text::unicode::appendCodePoint(out, text::unicode::toUpper(folded));
    }
    return out;
}
} // namespace

bool PictureTable::add(Picture picture)
{
    if (m_pictures.size() >= kMaxPictures)
        return false;
    if (picture.mimeType.size() > kMaxMimeType)
        picture.mimeType.resize(kMaxMimeType);
    if (picture.description.size() > kMaxDescription)
        picture.description.resize(text::unicode::cutAtCharacters(picture.description, kMaxDescription));
    m_pictures.push_back(std::move(picture));
    return true;
}

CMetaDat::CMetaDat(std::filesystem::path path, std::u16string_view groupKey)
    : Path(std::move(path))
{
    setGroupKey(groupKey);
}

void CMetaDat::setGroupKey(std::u16string_view groupKey)
{
    GroupName = text::fileNameSafe(groupKey);
    KeyWords = {};
    std::string key = text::utf16ToUtf8(groupKey);
    if (key.size() > kMaxKeyCharacters)
        key.resize(text::unicode::cutAtCharacters(key, kMaxKeyCharacters));
    const text::unicode::WordSplit split = text::unicode::splitWords(key);
    for (std::size_t i = 0; i < split.count; ++i)
        KeyWords[i] = split.words[i];
    KeyWordCount = static_cast<std::int32_t>(split.count);
}

void CMetaDat::setArtist(std::u16string_view artist) { Artist = text::fileNameSafe(artist); }
void CMetaDat::setComposer(std::u16string_view composer) { Composer = text::fileNameSafe(composer); }
void CMetaDat::setTitle(std::u16string_view title) { Title = text::fileNameSafe(title); }
void CMetaDat::setTrackText(std::u16string_view trackText) { TrackText = text::fileNameSafe(trackText); }

void Catalog::append(std::unique_ptr<CMetaDat> entry)
{
    const std::size_t index = m_entries.size();
    m_firstByPath.emplace(entry->Path.native(), index);
    m_entries.push_back(std::move(entry));
    CMetaDat &added = *m_entries.back();
    if (!added.JointMain.empty()) {
        const std::string main = comparedName(text::fileNameSafe(added.JointMain));
        if (m_soleKeys.count(main) != 0)
            added.setGroupKey(added.JointMain);
        else
            m_waitingJoint[main].push_back(index);
        return;
    }
    std::string key = comparedName(added.GroupName);
    if (const auto waiting = m_waitingJoint.find(key); waiting != m_waitingJoint.end()) {
        for (const std::size_t joint : waiting->second)
            m_entries[joint]->setGroupKey(m_entries[joint]->JointMain);
        m_waitingJoint.erase(waiting);
    }
    m_soleKeys.insert(std::move(key));
}

void Catalog::clear()
{
    m_entries.clear();
    m_firstByPath.clear();
    m_soleKeys.clear();
    m_waitingJoint.clear();
}

CMetaDat *Catalog::findByPath(const std::filesystem::path &path)
{
    const auto indexed = m_firstByPath.find(path.native());
    if (indexed != m_firstByPath.end()) {
        CMetaDat &entry = *m_entries[indexed->second];
        if (entry.Path.native() == path.native())
            return &entry;
    }
    // A path the index does not know, or an entry whose Path was changed after it was
    // appended: looked for the slow way.
    for (auto &entry : m_entries) {
        if (entry->Path.native() == path.native())
            return entry.get();
    }
    return nullptr;
}

} // namespace tunvale::catalog
