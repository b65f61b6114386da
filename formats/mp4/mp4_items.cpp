#include "formats/mp4/mp4_items.h"

#include "catalog/genre/genre_table.h"
#include "catalog/text/codepage.h"
#include "formats/flac/vorbis_comment_fields.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace tunvale::formats {

namespace {

struct AtomKey {
    const char *atom;           // the item name TagLib gives the atom
    std::string_view vorbisKey; // the Vorbis comment key whose rule it follows
};

// "\251" is the © that starts the iTunes atom names, in TagLib's Latin-1 item names.
const AtomKey kTextAtoms[] = {
    {"\251nam", "TITLE"},   {"\251ART", "ARTIST"},  {"aART", "ALBUMARTIST"}, {"\251wrt", "COMPOSER"},
    {"\251alb", "ALBUM"},   {"\251gen", "GENRE"},   {"\251cmt", "COMMENT"},  {"\251day", "DATE"},
    {"\251too", "ENCODER"}, {"rate", "RATING"},
};

constexpr std::string_view kFreeFormPrefix = "----:";
constexpr int kMaxTrackNumber = 0xFFFF;   // trkn and disk hold 16-bit numbers

// The first text value of an item, in UTF-8; empty when it has none.
std::string firstText(const TagLib::MP4::Item &item)
{
    const TagLib::StringList values = item.toStringList();
    return values.isEmpty() ? std::string() : values.front().to8Bit(true);
}

// The name of a free-form item after its mean ("----:com.apple.iTunes:LABEL" gives LABEL).
std::string freeFormName(const TagLib::String &key)
{
    const std::string name = key.to8Bit(true);
    return name.substr(name.rfind(':') + 1);
}

std::string mimeTypeOf(TagLib::MP4::CoverArt::Format format)
{
    switch (format) {
    case TagLib::MP4::CoverArt::JPEG: return "image/jpeg";
    case TagLib::MP4::CoverArt::PNG: return "image/png";
    case TagLib::MP4::CoverArt::BMP: return "image/bmp";
    case TagLib::MP4::CoverArt::GIF: return "image/gif";
    default: return {};
    }
}

TagLib::String fromUtf16(const std::u16string &text) { return TagLib::String(text::utf16ToUtf8(text), TagLib::String::UTF8); }

// The item names as TagLib strings, made once: a lookup by a C string would build one each time.
struct ItemNames {
    std::vector<TagLib::String> text;   // kTextAtoms, in order
    TagLib::String freeFormPrefix{kFreeFormPrefix.data()};
    TagLib::String gnre{"gnre"};
    TagLib::String trkn{"trkn"};
    TagLib::String disk{"disk"};

    ItemNames()
    {
        for (const AtomKey &atom : kTextAtoms)
            text.emplace_back(atom.atom, TagLib::String::Latin1);
    }
};

const ItemNames &itemNames()
{
    static const ItemNames names;
    return names;
}

void applyPair(const TagLib::MP4::ItemMap &items, const TagLib::String &atom, std::int32_t &number, std::int32_t &total)
{
    const auto found = items.find(atom);
    if (found == items.end())
        return;
    const TagLib::MP4::Item::IntPair pair = found->second.toIntPair();
    number = std::max(pair.first, 0);
    total = std::max(pair.second, 0);
}

} // namespace

void applyMp4Items(const TagLib::MP4::ItemMap &items, catalog::CurrentTags &tags)
{
    const ItemNames &names = itemNames();
    for (const auto &[key, item] : items) {
        if (key.startsWith(names.freeFormPrefix))
            applyVorbisField(freeFormName(key), firstText(item), tags);
    }
    for (std::size_t i = 0; i < names.text.size(); ++i) {
        const auto found = items.find(names.text[i]);
        if (found != items.end())
            applyVorbisField(kTextAtoms[i].vorbisKey, firstText(found->second), tags);
    }
    if (tags.Genre.empty()) {
        const auto gnre = items.find(names.gnre);
        // ID3v1 genre number plus one.
        if (gnre != items.end() && gnre->second.toInt() >= 1 && gnre->second.toInt() <= catalog::kGenreCount)
            tags.Genre.set(catalog::genreName(gnre->second.toInt() - 1));
    }
    applyPair(items, names.trkn, tags.Track, tags.TrackTotal);
    applyPair(items, names.disk, tags.Disc, tags.DiscTotal);
}

void collectMp4Pictures(const TagLib::MP4::ItemMap &items, catalog::PictureTable &table)
{
    const auto covr = items.find("covr");
    if (covr == items.end())
        return;
    constexpr std::int32_t kFrontCover = 3;
    for (const TagLib::MP4::CoverArt &art : covr->second.toCoverArtList()) {
        catalog::Picture picture;
        const TagLib::ByteVector data = art.data();
        picture.data.assign(data.begin(), data.end());
        picture.type = kFrontCover;
        picture.mimeType = mimeTypeOf(art.format());
        if (!table.add(std::move(picture)))
            return;
    }
}

void editMp4Items(TagLib::MP4::Tag &tag, const std::u16string &title, const std::u16string &artist, int track,
                  int totalTracks, bool removePictures)
{
    if (!title.empty())
        tag.setItem("\251nam", TagLib::StringList(fromUtf16(title)));
    if (!artist.empty())
        tag.setItem("\251ART", TagLib::StringList(fromUtf16(artist)));
    if (track > 0 || totalTracks > 0) {
        TagLib::MP4::Item::IntPair pair{0, 0};
        if (tag.contains("trkn"))
            pair = tag.item("trkn").toIntPair();
        if (track > 0)
            pair.first = std::min(track, kMaxTrackNumber);
        if (totalTracks > 0)
            pair.second = std::min(totalTracks, kMaxTrackNumber);
        tag.setItem("trkn", TagLib::MP4::Item(pair.first, pair.second));
    }
    if (removePictures && tag.contains("covr"))
        tag.removeItem("covr");
}

} // namespace tunvale::formats
