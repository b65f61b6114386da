#include "formats/mp3/sort_mp3.h"

#include "catalog/intake/intake.h"
#include "catalog/intake/tag_completion.h"
#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"
#include "catalog/records/load_refusal.h"
#include "catalog/records/picture_table.h"
#include "catalog/records/tag_strings.h"
#include "formats/mp3/id3_file_tags.h"
#include "formats/mp3/id3_frame_reader.h"
#include "formats/mp3/id3v2_tag_cleaner.h"
#include "formats/mp3/mpeg_audio_probe.h"
#include "formats/riff/binary_file.h"

#include <id3tag.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tunvale::formats {

namespace {

// Refuses the file: 1, with the reason kept for the skipped-file report.
int refuse(std::string_view reason)
{
    catalog::loadRefusal() = reason;
    return 1;
}

// Whether the file starts with an ID3v2 tag or holds MPEG audio near its start. Most files
// start with a tag: only the others have the whole probe area read.
bool holdsMpegAudio(BinaryFile &file, bool &readError)
{
    std::uint8_t header[10];
    const std::size_t got = file.readAt(0, header, sizeof header);
    if (got == sizeof header && id3v2TagLength(ByteSpan(header, got)))
        return true;
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), kMpegProbeReadBytes)));
    if (file.readAt(0, head.data(), head.size()) != head.size()) {
        readError = true;
        return false;
    }
    return looksLikeMpegAudio(head, file.size());
}

} // namespace

int CSortMp3::ReadMp3Tags(const std::filesystem::path &path, const catalog::LoadOptions &options)
{
    catalog::CurrentTags &tags = catalog::currentTags();
    tags.clear();
    catalog::pictureTable().clear();
    catalog::loadRefusal().clear();

    BinaryFile file;
    if (!file.open(path, BinaryFile::Mode::Read))
        return refuse(openErrorReason(file.openError()));
    // Anything named .mp3 (a text file, a link to a system file) must not be copied as audio.
    bool readError = false;
    if (!holdsMpegAudio(file, readError))
        return refuse(readError ? "read error" : "no MPEG audio or ID3 tag in the first 64 KiB");

    const Id3TagPtr tag = readMergedId3Tags(file);
    if (!tag)
        return refuse("out of memory");
    if (tag->nframes == 0) {
        if (options.tagsFromName)
            catalog::completeTags(tags, path, true);
        else
            catalog::lastFillScore() = 0;
        return 0;
    }

    catalog::TagStrings slots;
    readId3Frames(*tag, options.acceptSimilitudes, slots);
    copySlotsToTags(slots, tags);
    catalog::completeTags(tags, path, options.tagsFromName);
    return 0;
}

int CSortMp3::LoadMp3(const std::filesystem::path &path, int criterionCode, const catalog::LoadOptions &options)
{
    const int result = ReadMp3Tags(path, options);
    if (result != 0)
        return result;
    catalog::intake(criterionCode, path, catalog::currentTags(), options.acceptSimilitudes, catalog::catalog());
    return 0;
}

CSortMp3 &sortMp3()
{
    static CSortMp3 reader;
    return reader;
}

} // namespace tunvale::formats
