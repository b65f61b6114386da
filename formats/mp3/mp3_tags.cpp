#include "formats/mp3/mp3_tags.h"

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

ReadResult ReadMp3Tags(const std::filesystem::path &path, const catalog::LoadOptions &options, TrackRead &read)
{
    BinaryFile file;
    const bool opened = file.open(path, BinaryFile::Mode::Read);
    if (ReadResult status = openedStatus(opened, file.openError(), file.size()); !status.ok())
        return status;
    bool readError = false;
    if (!holdsMpegAudio(file, readError)) {
        if (readError)
            return ReadResult::failure(ReadStatus::ReadFailed, "MP3: read error");
        return ReadResult::failure(ReadStatus::NotThisFormat, "MP3: no MPEG audio or ID3 tag in the first 64 KiB");
    }

    const Id3TagPtr tag = readMergedId3Tags(file);
    if (!tag)
        return ReadResult::failure(ReadStatus::NoMemory);
    if (tag->nframes == 0) {
        read.tagged = false;
        return ReadResult::success();
    }
    catalog::TagStrings slots;
    readId3Frames(*tag, options.acceptSimilitudes, slots);
    copySlotsToTags(slots, read.tags);
    return ReadResult::success();
}

} // namespace tunvale::formats
