#pragma once

#include "catalog/records/load_options.h"
#include "formats/riff/pcm_stream.h"
#include "formats/tag_writing.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tunvale::formats {

// The AIFF / AIFF-C container: walks the chunks of a FORM file for its sound format (COMM),
// samples (SSND) and ID3v2 tag ("ID3 "), and replaces the "ID3 " chunk of a copy.
class CAiff {
public:
    enum class PcmMode {
        None,    // tags only
        Whole,   // samples loaded into decodedAudio().pcm
        Stream,  // sample layout kept for a streaming source (pcmLayout())
    };

    // Result codes of ReadAiff.
    static constexpr int kOk = 0;
    static constexpr int kCannotOpen = 1;
    static constexpr int kRejected = 2;   // not AIFF/AIFC, compressed, bad FVER, bad tag, no audio
    static constexpr int kEmpty = 3;

    // Clears currentTags() and pictureTable(), reads the file into them and decodedAudio(),
    // completes the tags from the file name and returns one of the codes above.
    int ReadAiff(const std::filesystem::path &path, bool loadPcm, bool capturePictures,
                 const catalog::LoadOptions &options);
    int ReadAiff(const std::filesystem::path &path, PcmMode pcm, bool capturePictures,
                 const catalog::LoadOptions &options);

    // Replaces the "ID3 " chunk of the copy at path; written also with nothing to change.
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
    int openAndWalk(const std::filesystem::path &path, PcmMode pcm);

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

CAiff &theAiff();

} // namespace tunvale::formats
