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

RecordingWriters::RecordingWriters()
{
    writerCalls().clear();
    fakeWriterResult() = 1;
    m_writer = [](const formats::FormatRow &format, const std::filesystem::path &path,
                  const formats::TagChanges &changes) {
        writerCalls().push_back({std::string(format.id), path, changes.title, changes.artist, changes.track,
                                 changes.totalTracks, changes.removePictures, formats::io::identityOf(path)});
        return fakeWriterResult() != 0 ? formats::WriteResult::success() : formats::WriteResult::failure();
    };
}

} // namespace tunvale::output::testing
