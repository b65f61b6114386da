#pragma once

#include "formats/audio/decoded_audio.h"
#include "formats/container/chunk_file.h"
#include "formats/container/pcm_stream.h"
#include "formats/read_status.h"
#include "formats/tag_writing.h"
#include "formats/track_read.h"

#include <filesystem>
#include <optional>

namespace tunvale::formats {

// An AIFF / AIFF-C file: its sound format (COMM), samples (SSND) and ID3v2 tag ("ID3 "), and
// the rewrite of its "ID3 " chunk. One object per file handled: it keeps the sample layout its
// last Stream read found.
class AiffFile {
public:
    // Reads the file's ID3 tag into track (a fresh record; pictures only with capturePictures)
    // and its sound format into audio. Refuses a file that cannot be opened or is empty, one
    // that is not AIFF or AIFF-C (NotThisFormat), compressed AIFF-C or an unknown AIFF-C version
    // (Unsupported), an ID3 tag larger than its chunk (Damaged) and, when samples are asked
    // for, a file without a convertible COMM or without SSND (Unsupported).
    ReadResult read(const std::filesystem::path &path, PcmMode pcm, bool capturePictures, TrackRead &track,
                    DecodedAudio &audio);
    ReadResult read(const std::filesystem::path &path, bool loadPcm, bool capturePictures, TrackRead &track,
                    DecodedAudio &audio);

    // Replaces the "ID3 " chunk of the copy at path; written also with nothing to change.
    WriteResult writeTags(const std::filesystem::path &path, const TagChanges &changes);
    // What writeTags would make of a copy of the source at path (open as source), as pieces.
    RetagPlan planTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes);

    // The samples of the file last read in Stream mode, when there are any to convert.
    const std::optional<PcmLayout> &pcmLayout() const { return m_pcmLayout; }

private:
    std::optional<PcmLayout> m_pcmLayout;
};

} // namespace tunvale::formats
