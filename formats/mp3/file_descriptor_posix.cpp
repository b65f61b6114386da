#include "formats/mp3/file_descriptor.h"

#include <fcntl.h>
#include <unistd.h>

namespace tunvale::formats {

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
