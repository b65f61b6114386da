#include "output/rewrite_tags.h"

#include "formats/aiff/aiff.h"
#include "formats/flac/flac_tags.h"
#include "formats/mp3/sort_mp3.h"
#include "formats/wav/wave.h"
#include "output/name_text.h"

namespace tunvale::output {

TagWriters formatTagWriters()
{
    TagWriters writers;
    writers.mp3 = &formats::WriteMp3Tags;
    writers.flac = &formats::WriteFlacTags;
    writers.wave = &formats::WriteWaveTags;
    writers.aiff = &formats::WriteAiffTags;
    return writers;
}

namespace {
// Read and replaced on the worker thread only, like every placement step.
TagWriters &activeWriters()
{
    static TagWriters writers = formatTagWriters();
    return writers;
}
} // namespace

ScopedTagWriters::ScopedTagWriters(const TagWriters &writers)
    : m_previous(activeWriters())
{
    activeWriters() = writers;
}

ScopedTagWriters::~ScopedTagWriters() { activeWriters() = m_previous; }

int RewriteTags(const std::filesystem::path &destination, const std::u16string &title, const std::u16string &artist,
                int trackNumber, int trackTotal, bool removePictures)
{
    return RewriteTags(destination, destination, title, artist, trackNumber, trackTotal, removePictures);
}

int RewriteTags(const std::filesystem::path &path, const std::filesystem::path &named, const std::u16string &title,
                const std::u16string &artist, int trackNumber, int trackTotal, bool removePictures)
{
    const std::u16string extension = lowerExtension(pathToText(named.filename()));
    const TagWriters &writers = activeWriters();
    TagWriter writer = nullptr;
    if (extension == u".mp3")
        writer = writers.mp3;
    else if (extension == u".flac")
        writer = writers.flac;
    else if (extension == u".wav")
        writer = writers.wave;
    else if (extension == u".aiff" || extension == u".aif")
        writer = writers.aiff;
    if (writer == nullptr)
        return 0;
    return writer(path, title, artist, trackNumber, trackTotal, removePictures);
}

} // namespace tunvale::output
