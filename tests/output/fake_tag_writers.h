#pragma once

// Tag writers that record their calls instead of writing, for the dispatch and placement
// tests.

#include "formats/io/file_identity.h"
#include "output/rewrite_tags.h"

#include <string>
#include <vector>

namespace tunvale::output::testing {

struct WriterCall {
    std::string writer; // the id of the format whose writer was called: "mp3", "flac", "wav", "aiff"
    std::filesystem::path path;
    std::u16string title;
    std::u16string artist;
    int track = 0;
    int total = 0;
    bool removePictures = false;
    formats::io::FileIdentity identity;   // of the file at path when the writer was called
};

// The calls recorded since the last reset, and the result the fakes return.
std::vector<WriterCall> &writerCalls();
int &fakeWriterResult();

// The recording writers (result 1), to hand to placement or the dispatch as their stand-in.
class RecordingWriters {
public:
    RecordingWriters();
    const TagWriterOverride *writer() const { return &m_writer; }

private:
    TagWriterOverride m_writer;
};

} // namespace tunvale::output::testing
