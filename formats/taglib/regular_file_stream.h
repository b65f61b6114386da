#pragma once

// TagLib reads and writes through this stream, never through a path of its own: the file is
// one the program opened itself (a regular file, opened without blocking). A read never
// returns more than the bytes left in the file, so a damaged length in a tag costs at most
// the file's size in memory.

#include "formats/audio/regular_file.h"

#include <taglib/tbytevector.h>
#include <taglib/tiostream.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tunvale::formats {

class RegularFileStream final : public TagLib::IOStream {
public:
    // file must stay open while the stream is used; writable when it was opened for writing.
    RegularFileStream(RegularFile &file, const std::filesystem::path &path, bool writable);

    TagLib::FileName name() const override;
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector &data) override;
    void insert(const TagLib::ByteVector &data, unsigned long start = 0, unsigned long replace = 0) override;
    void removeBlock(unsigned long start = 0, unsigned long length = 0) override;
    bool readOnly() const override { return !m_writable; }
    bool isOpen() const override { return m_file.isOpen(); }
    void seek(long offset, Position p = Beginning) override;
    long tell() const override;
    long length() override;
    void truncate(long length) override;

    // True once a read or a write failed (TagLib does not tell its callers).
    bool failed() const { return m_failed; }
    // The system's error number of the first failed write, 0 when none had one.
    int writeError() const { return m_writeError; }

private:
    bool writeAt(std::uint64_t position, const char *bytes, std::size_t count);
    // Moves the bytes [from, end of file) to start at to, in blocks.
    bool moveTail(std::uint64_t from, std::uint64_t to);
    void noteWriteFailure();

    RegularFile &m_file;
    std::filesystem::path m_path;
    bool m_writable = false;
    std::uint64_t m_length = 0;
    std::uint64_t m_position = 0;
    bool m_failed = false;
    int m_writeError = 0;
    // The last block read ahead: parsers read many small headers close to one another.
    std::vector<char> m_cache;
    std::uint64_t m_cacheStart = 0;
};

} // namespace tunvale::formats
