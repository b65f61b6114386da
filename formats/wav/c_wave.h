#pragma once

#include "formats/audio/decoded_audio.h"
#include "formats/read_status.h"
#include "formats/riff/pcm_stream.h"
#include "formats/tag_writing.h"
#include "formats/track_read.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tunvale::formats {

class BinaryFile;

// The WAV container: walks the chunks of a RIFF WAVE file for its tags (LIST INFO and an
// "id3 " chunk), its audio format and samples, and replaces the "id3 " chunk of a copy. One
// object per file handled: it keeps what its last walk found.
class CWave {
public:
    enum class PcmMode {
        None,   // tags only
        Whole,  // samples loaded into audio.pcm
        Stream, // sample layout kept for a streaming source (pcmLayout())
    };

    // Reads the file's tags into read (a fresh record; pictures only with capturePictures, the
    // "id3 " chunk only with parseId3) and its audio format into audio. Refuses a file that
    // cannot be opened or is empty, one that is not RIFF WAVE or has no format chunk after its
    // header (NotThisFormat), one whose header, format chunk or "fact" value is cut short, and
    // one whose chunks do not fit in memory.
    ReadResult ParseRiff(const std::filesystem::path &path, bool loadPcm, bool parseId3, bool capturePictures,
                         TrackRead &read, DecodedAudio &audio);
    ReadResult ParseRiff(const std::filesystem::path &path, PcmMode pcm, bool parseId3, bool capturePictures,
                         TrackRead &read, DecodedAudio &audio);

    // Replaces the "id3 " chunk of the copy at path.
    // The pieces of a copy of the source at path (open as source) that WriteWaveTags would leave.
    RetagPlan PlanWaveTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes);
    WriteResult WriteWaveTags(const std::filesystem::path &path, const std::u16string &title,
                              const std::u16string &artist, int track, int totalTracks, bool removePictures);
    // Writes tag (an even-length ID3v2 tag) as the file's "id3 " chunk; 1 or 0.
    int WriteWaveId3Chunk(const std::filesystem::path &path, const std::vector<std::uint8_t> &tag);

    // The samples of the file last parsed in Stream mode, when they can be converted.
    const std::optional<PcmLayout> &pcmLayout() const { return m_pcmLayout; }
    // The position of the "id3 " chunk, or just after the "data" chunk without one.
    std::uint64_t id3Position() const { return m_id3Position; }
    std::uint32_t id3Size() const { return m_id3Size; }

private:
    void reset();

    std::uint64_t m_fileSize = 0;
    std::uint64_t m_id3Position = 0;
    std::uint32_t m_id3Size = 0;
    std::vector<std::uint8_t> m_id3Bytes;   // an "id3 " chunk not parsed, for a rewrite
    std::optional<PcmLayout> m_pcmLayout;
};

} // namespace tunvale::formats
