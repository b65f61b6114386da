#include "formats/mp3/file_descriptor.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

namespace tunvale::formats {

bool commitToDisk(const std::filesystem::path &path)
{
    int descriptor = -1;
    if (_wsopen_s(&descriptor, path.c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0)
        return false;
    const bool ok = _commit(descriptor) == 0;
    _close(descriptor);
    return ok;
}

} // namespace tunvale::formats
