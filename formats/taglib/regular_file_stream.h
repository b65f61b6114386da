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
#include <memory>

namespace tunvale::formats {

class RegularFileStream final : public TagLib::IOStream {
public:
    static constexpr std::size_t kReadAheadSize = 64 * 1024;

    // file must stay open and path must live while the stream is used (TagLib asks for the
    // name only in its messages); writable when file was opened for writing.
    // readAhead, when given, is where the stream keeps the block it reads ahead
    // (kReadAheadSize bytes, on the caller's stack): a heap block that large per file costs
    // the allocator more than reading a small file.
    RegularFileStream(RegularFile &file, const std::filesystem::path &path, bool writable, char *readAhead = nullptr);

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

    // Copies up to count bytes at position into out through the read-ahead block, without
    // moving the stream's position or allocating: the number of bytes copied (fewer at the
    // end of the file or after a read error).
    std::size_t copyAt(std::uint64_t position, char *out, std::size_t count);

    // True once a read or a write failed (TagLib does not tell its callers).
    bool failed() const { return m_failed; }
    // The system's error number of the first failed write, 0 when none had one.
    int writeError() const { return m_writeError; }

private:
    bool inCache(std::uint64_t position, std::size_t count) const;
    // Reads the block ahead from position when count bytes there are not in it yet and are
    // fewer than a block.
    void fillCache(std::uint64_t position, std::size_t count);
    bool writeAt(std::uint64_t position, const char *bytes, std::size_t count);
    // Moves the bytes [from, end of file) to start at to, in blocks.
    bool moveTail(std::uint64_t from, std::uint64_t to);
    void noteWriteFailure();

    RegularFile &m_file;
    const std::filesystem::path &m_path;
    bool m_writable = false;
    std::uint64_t m_length = 0;
    std::uint64_t m_position = 0;
    bool m_failed = false;
    int m_writeError = 0;
    // The last block read ahead: parsers read many small headers close to one another. It is
    // allocated on first use and never zeroed: a load reads a small file once, and zeroing
    // 64 KiB per file cost more than the read.
    std::unique_ptr<char[]> m_ownCache;
    char *m_cache = nullptr;
    std::size_t m_cacheSize = 0;
    std::uint64_t m_cacheStart = 0;
};

} // namespace tunvale::formats
