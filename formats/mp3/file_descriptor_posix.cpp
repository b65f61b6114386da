#include "formats/mp3/file_descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunvale::formats {

int openReadDescriptor(const std::filesystem::path &path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    // A folder opens read-only on POSIX; it is not a file the library can take.
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
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

} // namespace tunvale::formats
