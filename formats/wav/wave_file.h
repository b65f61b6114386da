#pragma once

#include "formats/audio/decoded_audio.h"
#include "formats/container/chunk_file.h"
#include "formats/container/pcm_stream.h"
#include "formats/read_status.h"
#include "formats/tag_writing.h"
#include "formats/track_read.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tunvale::formats {

// A RIFF WAVE file: its tags (LIST INFO and "id3 " chunks), its audio format and samples, and
// the rewrite of its "id3 " chunk. One object per file handled: it keeps the sample layout its
// last Stream read found.
class WaveFile {
public:
    // Reads the file's tags into track (a fresh record; pictures only with capturePictures, the
    // "id3 " chunk only with parseId3) and its audio format into audio. Refuses a file that
    // cannot be opened or is empty, one that is not RIFF WAVE or has no format chunk after its
    // header (NotThisFormat), one whose header, format chunk or "fact" value is cut short, and
    // one whose chunks do not fit in memory.
    ReadResult read(const std::filesystem::path &path, PcmMode pcm, bool parseId3, bool capturePictures,
                    TrackRead &track, DecodedAudio &audio);
    ReadResult read(const std::filesystem::path &path, bool loadPcm, bool parseId3, bool capturePictures,
                    TrackRead &track, DecodedAudio &audio);

    // Replaces the "id3 " chunk of the copy at path.
    WriteResult writeTags(const std::filesystem::path &path, const TagChanges &changes);
    // What writeTags would make of a copy of the source at path (open as source), as pieces.
    RetagPlan planTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes);

    // The samples of the file last read in Stream mode, when they can be converted.
    const std::optional<PcmLayout> &pcmLayout() const { return m_pcmLayout; }
    // Why the file last read gives no samples to convert ("WAV: IMA ADPCM samples"), empty when
    // it does or was not asked for them.
    const std::string &noSamplesReason() const { return m_noSamplesReason; }

private:
    std::optional<PcmLayout> m_pcmLayout;
    std::string m_noSamplesReason;
};

} // namespace tunvale::formats
