// Reads the input as an MP4 audio file (atom walk, items and cover art), rewrites its items
// and reads the result again. Every read is made twice, from the item atoms alone and from
// the whole file, and the two must agree.

#include "formats/mp4/mp4_tags.h"
#include "fuzz_taglib_input.h"

#include <cstdlib>
#include <tuple>

namespace {

using tunvale::catalog::CurrentTags;
using tunvale::catalog::PictureTable;
using tunvale::formats::Mp4ItemParse;
using tunvale::formats::TagReadResult;

bool sameTags(const CurrentTags &a, const CurrentTags &b)
{
    const auto text = [](const CurrentTags &t) {
        return std::make_tuple(t.Title.view(), t.Subtitle.view(), t.Album.view(), t.Artist.view(),
                               t.AlbumArtist.view(), t.Performer.view(), t.Composer.view(), t.Comment.view(),
                               t.Publisher.view(), t.Encoder.view(), t.Genre.view());
    };
    const auto numbers = [](const CurrentTags &t) {
        return std::make_tuple(t.Year, t.Track, t.TrackTotal, t.Disc, t.DiscTotal, t.Rating);
    };
    return text(a) == text(b) && numbers(a) == numbers(b);
}

bool samePictures(const PictureTable &a, const PictureTable &b)
{
    if (a.count() != b.count())
        return false;
    for (std::int32_t i = 0; i < a.count(); ++i) {
        if (a.at(i).data != b.at(i).data || a.at(i).mimeType != b.at(i).mimeType || a.at(i).type != b.at(i).type)
            return false;
    }
    return true;
}

TagReadResult readMp4(const std::filesystem::path &path, CurrentTags &tags, PictureTable *pictures)
{
    const TagReadResult alone = tunvale::formats::readMp4Tags(path, tags, pictures);
    CurrentTags wholeTags;
    PictureTable wholePictures;
    const TagReadResult whole = tunvale::formats::readMp4Tags(path, wholeTags, pictures ? &wholePictures : nullptr,
                                                             nullptr, Mp4ItemParse::WholeFile);
    if (alone.error != whole.error || !sameTags(tags, wholeTags) || (pictures && !samePictures(*pictures, wholePictures)))
        std::abort();
    return alone;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return tunvale::fuzz::readWriteAndReadAgain("input.m4a", &readMp4, &tunvale::formats::writeMp4Tags, true, data, size);
}
