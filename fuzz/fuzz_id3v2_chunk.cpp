// Parses the input as the ID3v2 tag of a chunk, rebuilds it, and checks that the rebuilt tag
// reads back whole (the builder only ever makes tags the parser accepts).

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"
#include "formats/id3v2/id3v2_chunk.h"

#include <cstdlib>

using namespace tunvale;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    catalog::CurrentTags tags;
    catalog::PictureTable pictures;
    const formats::ByteSpan bytes(data, size);
    // The first byte picks a declared chunk size at, below or above the bytes held.
    const std::uint32_t chunkSize = size == 0 ? 0 : static_cast<std::uint32_t>(size) + (data[0] % 3) * 7 - 7;
    formats::ParseId3v2Tag(bytes, chunkSize, tags, &pictures);

    const std::uint64_t fileSize = size + 100;
    const bool removePictures = size > 1 && (data[1] & 1);
    const auto built = formats::BuildId3v2Tag(bytes, fileSize, u"Title \u00e9", u"Artist", 12, 20, removePictures);
    if (built) {
        if (built->size() % 2 != 0)
            std::abort();
        catalog::CurrentTags again;
        catalog::PictureTable againPictures;
        if (formats::ParseId3v2Tag(*built, static_cast<std::uint32_t>(built->size()), again, &againPictures) != 1)
            std::abort();
        if (again.Title.view() != "Title \xE9" || again.Track != 12)
            std::abort();
    }
    return 0;
}
