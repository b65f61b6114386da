#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"

#include "catalog/text/codepage.h"
#include "catalog/text/names.h"

namespace tunvale::catalog {

bool PictureTable::add(Picture picture)
{
    if (m_pictures.size() >= kMaxPictures)
        return false;
    if (picture.mimeType.size() > kMaxMimeType)
        picture.mimeType.resize(kMaxMimeType);
    if (picture.description.size() > kMaxDescription)
        picture.description.resize(kMaxDescription);
    m_pictures.push_back(std::move(picture));
    return true;
}

CMetaDat::CMetaDat(std::filesystem::path path, std::u16string_view groupKey)
    : Path(std::move(path))
    , GroupName(text::fileNameSafe(groupKey))
{
    std::string key8 = text::utf16ToCp1252(groupKey);
    if (key8.size() > 1022)
        key8.resize(1022);
    const text::WordSplit split = text::splitWords(key8);
    for (std::size_t i = 0; i < split.count; ++i)
        KeyWords[i] = split.words[i];
    KeyWordCount = static_cast<std::int32_t>(split.count);
}

void CMetaDat::setArtist(std::u16string_view artist) { Artist = text::fileNameSafe(artist); }
void CMetaDat::setComposer(std::u16string_view composer) { Composer = text::fileNameSafe(composer); }
void CMetaDat::setTitle(std::u16string_view title) { Title = text::fileNameSafe(title); }
void CMetaDat::setTrackText(std::u16string_view trackText) { TrackText = text::fileNameSafe(trackText); }

CMetaDat *Catalog::findByPath(const std::filesystem::path &path)
{
    for (auto &entry : m_entries) {
        if (entry->Path.native() == path.native())
            return entry.get();
    }
    return nullptr;
}

} // namespace tunvale::catalog
