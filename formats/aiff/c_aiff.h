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

// The AIFF / AIFF-C container: walks the chunks of a FORM file for its sound format (COMM),
// samples (SSND) and ID3v2 tag ("ID3 "), and replaces the "ID3 " chunk of a copy. One object
// per file handled: it keeps what its last walk found.
class CAiff {
public:
    enum class PcmMode {
        None,   // tags only
        Whole,  // samples loaded into audio.pcm
        Stream, // sample layout kept for a streaming source (pcmLayout())
    };

    // Reads the file's ID3 tag into read (a fresh record; pictures only with capturePictures)
    // and its sound format into audio. Refuses a file that cannot be opened or is empty, one
    // that is not AIFF or AIFF-C (NotThisFormat), compressed AIFF-C or an unknown AIFF-C version
    // (Unsupported), an ID3 tag larger than its chunk (Damaged) and, when samples are asked
    // for, a file without a convertible COMM or without SSND (Unsupported).
    ReadResult ReadAiff(const std::filesystem::path &path, bool loadPcm, bool capturePictures, TrackRead &read,
                        DecodedAudio &audio);
    ReadResult ReadAiff(const std::filesystem::path &path, PcmMode pcm, bool capturePictures, TrackRead &read,
                        DecodedAudio &audio);

    // Replaces the "ID3 " chunk of the copy at path; written also with nothing to change.
    // The pieces of a copy of the source at path (open as source) that WriteAiffTags would leave.
    RetagPlan PlanAiffTags(const std::filesystem::path &path, BinaryFile &source, const TagChanges &changes);
    WriteResult WriteAiffTags(const std::filesystem::path &path, const std::u16string &title,
                              const std::u16string &artist, int track, int totalTracks, bool removePictures);
    // Writes tag (an even-length ID3v2 tag) as the file's "ID3 " chunk; 1 or 0.
    int WriteAiffId3Chunk(const std::filesystem::path &path, const std::vector<std::uint8_t> &tag);

    const std::optional<PcmLayout> &pcmLayout() const { return m_pcmLayout; }
    // The position of the "ID3 " chunk, or where the chunk walk ended without one.
    std::uint64_t id3Position() const { return m_id3Position; }
    std::uint32_t id3Size() const { return m_id3Size; }

private:
    void reset();
    ReadResult openAndWalk(const std::filesystem::path &path, PcmMode pcm, DecodedAudio &audio);

    std::uint64_t m_fileSize = 0;
    std::uint64_t m_id3Position = 0;
    std::uint32_t m_id3Size = 0;             // rounded up to even
    std::vector<std::uint8_t> m_id3Bytes;
    bool m_convertible = false;
    int m_bytesPerSample = 0;
    bool m_haveSamples = false;
    PcmLayout m_samples;                      // where SSND's samples lie (when m_haveSamples)
    std::optional<PcmLayout> m_pcmLayout;
};

} // namespace tunvale::formats
