#pragma once

// A regular file opened by the program itself, never by a library given a name: the open
// cannot block (a FIFO named like an audio file would otherwise wait for a writer forever),
// and anything that is not a regular file (a FIFO, a device, a folder) is refused before a
// byte is read from it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace tunvale::formats {

// Why a file could not be opened.
enum class OpenError {
    None,
    NotFound,     // no such file (or a link to nothing)
    NotRegular,   // a folder, FIFO, device or socket
    Denied,       // the permissions do not allow it
    Failed,       // any other failure
};

// The short reason shown for a file a reader refused at opening ("not a regular file").
std::string_view openErrorReason(OpenError error);

// What the open call learnt of a file, kept so that nobody asks the system again.
struct OpenedStatus {
    std::uint32_t mode = 0;          // permission bits (POSIX st_mode & 07777)
    std::int64_t accessed = 0;       // nanoseconds since 1970
    std::int64_t modified = 0;
};

class RegularFile {
public:
    enum class Access { Read, ReadWrite };

    RegularFile() = default;
    ~RegularFile();
    RegularFile(RegularFile &&other) noexcept;
    RegularFile &operator=(RegularFile &&other) noexcept;
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    // Opens path without blocking and keeps it only when it is a regular file; false with
    // error() telling why otherwise. Reads and writes then block as usual on the open file.
    bool open(const std::filesystem::path &path, Access access);
    void close();
    bool isOpen() const { return m_descriptor >= 0; }
    OpenError error() const { return m_error; }
    // The size the file had when it was opened.
    std::uint64_t size() const { return m_size; }
    // Its permissions and times when it was opened.
    const OpenedStatus &status() const { return m_status; }
    // The C runtime descriptor of the open file (-1 when closed), for copies made by the
    // system between two descriptors.
    int descriptor() const { return m_descriptor; }

    // Reads up to count bytes at position; how many were read (fewer at the end of the file
    // or after a read error, which then also sets readFailed()).
    std::size_t readAt(std::uint64_t position, void *buffer, std::size_t count);
    // Writes all count bytes at position; false when they could not all be written.
    bool writeAt(std::uint64_t position, const void *buffer, std::size_t count);
    bool readFailed() const { return m_readFailed; }
    // Cuts or extends the file to size bytes; false when it cannot.
    bool truncate(std::uint64_t size);
    // Commits what was written to the disk; false when it cannot.
    bool syncToDisk();

private:
    int m_descriptor = -1;
    std::uint64_t m_size = 0;
    OpenedStatus m_status;
    OpenError m_error = OpenError::None;
    bool m_readFailed = false;
};

} // namespace tunvale::formats
