#include "fake_tag_writers.h"

namespace tunvale::output::testing {

std::vector<WriterCall> &writerCalls()
{
    static std::vector<WriterCall> calls;
    return calls;
}

int &fakeWriterResult()
{
    static int result = 1;
    return result;
}

namespace {

template <const char *Name>
int record(const std::filesystem::path &path, const std::u16string &title, const std::u16string &artist, int track,
           int total, bool removePictures)
{
    writerCalls().push_back({Name, path, title, artist, track, total, removePictures, formats::io::identityOf(path)});
    return fakeWriterResult();
}

constexpr char kMp3[] = "mp3";
constexpr char kFlac[] = "flac";
constexpr char kWave[] = "wave";
constexpr char kAiff[] = "aiff";

TagWriters recordingWriters()
{
    writerCalls().clear();
    fakeWriterResult() = 1;
    TagWriters writers;
    writers.mp3 = &record<kMp3>;
    writers.flac = &record<kFlac>;
    writers.wave = &record<kWave>;
    writers.aiff = &record<kAiff>;
    return writers;
}

} // namespace

RecordingWriters::RecordingWriters()
    : m_scope(recordingWriters())
{
}

} // namespace tunvale::output::testing
