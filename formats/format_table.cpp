#include "formats/format_table.h"

#include "formats/aiff/aiff_format.h"
#include "formats/flac/flac_tags.h"
#include "formats/mp3/mp3_tags.h"
#include "formats/mp4/mp4_tags.h"
#include "formats/ogg/ogg_tags.h"
#include "formats/opus/opus_tags.h"
#include "formats/wav/wave_format.h"

#include <array>

namespace tunvale::formats {

namespace {

constexpr std::string_view kMp3Extensions[] = {".mp3"};
constexpr std::string_view kFlacExtensions[] = {".flac"};
constexpr std::string_view kWavExtensions[] = {".wav"};
constexpr std::string_view kAiffExtensions[] = {".aiff", ".aif"};
constexpr std::string_view kOggExtensions[] = {".ogg", ".oga"};
constexpr std::string_view kOpusExtensions[] = {".opus"};
// An .mp4 file is taken when it holds AAC or ALAC audio and no video; the reader refuses the rest.
constexpr std::string_view kMp4Extensions[] = {".m4a", ".mp4"};

// id, extensions, option and its first-start value, check box, reader, conversion read, writer,
// planner (none: the copy is retagged after it is written).
// Lossy sources (MP3, Vorbis, Opus, AAC) are never converted: a second lossy encoding only
// loses quality. ALAC is copied too: no decoder for it is among the program's libraries.
constexpr std::array kRows{
    FormatRow{"mp3", kMp3Extensions, "MP3_FORMAT", 1, "Mp3", &ReadMp3Tags, nullptr, &WriteMp3Tags, &PlanMp3Tags},
    FormatRow{"flac", kFlacExtensions, "FLAC_FORMAT", 1, "Flac", &ReadFlacTags, &OpenFlacPcm, &WriteFlacTags, nullptr},
    FormatRow{"wav", kWavExtensions, "WAV_FORMAT", 1, "Wav", &ReadWaveTags, &OpenWavePcm, &WriteWaveTags, &PlanWaveTags},
    FormatRow{"aiff", kAiffExtensions, "AIFF_FORMAT", 1, "Aiff", &ReadAiffTags, &OpenAiffPcm, &WriteAiffTags, &PlanAiffTags},
    FormatRow{"ogg", kOggExtensions, "OGG_FORMAT", 1, "Ogg", &ReadOggTags, nullptr, &WriteOggTags, nullptr},
    FormatRow{"opus", kOpusExtensions, "OPUS_FORMAT", 1, "Opus", &ReadOpusTags, nullptr, &WriteOpusTags, nullptr},
    FormatRow{"m4a", kMp4Extensions, "M4A_FORMAT", 1, "M4a", &ReadMp4Tags, nullptr, &WriteMp4Tags, nullptr},
};

char16_t lowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool sameExtension(std::u16string_view extension, std::string_view wanted)
{
    if (extension.size() != wanted.size())
        return false;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (lowerAscii(extension[i]) != static_cast<char16_t>(static_cast<unsigned char>(wanted[i])))
            return false;
    }
    return true;
}

} // namespace

std::span<const FormatRow> formatTable() { return kRows; }

std::size_t formatIndex(const FormatRow &row) { return static_cast<std::size_t>(&row - kRows.data()); }

const FormatRow *findFormat(std::string_view id)
{
    for (const FormatRow &row : kRows) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

bool hasExtension(const FormatRow &row, std::u16string_view extension)
{
    for (const std::string_view wanted : row.extensions) {
        if (sameExtension(extension, wanted))
            return true;
    }
    return false;
}

const FormatRow *formatOfExtension(std::u16string_view extension)
{
    for (const FormatRow &row : kRows) {
        if (hasExtension(row, extension))
            return &row;
    }
    return nullptr;
}

} // namespace tunvale::formats
