#pragma once

// A file read and written at explicit positions, as the chunk containers and the MP3 tag code
// need it.
// Only regular files are opened, and opening never blocks (see RegularFile).

#include "formats/audio/regular_file.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace tunvale::formats {

class BinaryFile {
public:
    enum class Mode { Read, ReadWrite };

    bool open(const std::filesystem::path &path, Mode mode);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    // Why the last open failed.
    OpenError openError() const { return m_file.error(); }
    // Size when opened (kept up to date by writes past the end).
    std::uint64_t size() const { return m_size; }
    // The open file itself (its descriptor and what its opening learnt).
    const RegularFile &file() const { return m_file; }

    // Reads up to count bytes at position; returns how many were read (short at the end).
    std::size_t readAt(std::uint64_t position, void *buffer, std::size_t count);
    // Reads count bytes at position into a vector; false (and an empty vector) when the
    // bytes are not all there or memory runs out.
    bool readExact(std::uint64_t position, std::size_t count, std::vector<std::uint8_t> &out);
    bool writeAt(std::uint64_t position, const void *buffer, std::size_t count);
    bool flush();
    // The error number (errno) the system gave for the last write it refused, 0 when none did.
    int writeError() const { return m_writeError; }

private:
    bool fitsWithin(std::uint64_t position, std::uint64_t count) const;

    RegularFile m_file;
    std::uint64_t m_size = 0;
    int m_writeError = 0;
};

// Cuts or extends a closed file to size bytes.
bool resizeFile(const std::filesystem::path &path, std::uint64_t size);

} // namespace tunvale::formats
