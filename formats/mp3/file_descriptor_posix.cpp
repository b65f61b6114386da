#include "formats/mp3/file_descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunvale::formats {

int openReadDescriptor(const std::filesystem::path &path)
{
    // Non-blocking only while opening: a FIFO named like an MP3 would otherwise wait for a
    // writer forever.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return -1;
    // Folders, FIFOs and devices are not files the library can take.
    struct stat status {};
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || flags < 0 ||
        ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

void closeDescriptor(int descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
}

bool commitToDisk(const std::filesystem::path &path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool ok = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return ok;
}

} // namespace tunvale::formats
