#include "engine/run/file_system_sync.h"

#include <fcntl.h>
#include <unistd.h>

namespace tunvale::engine {

void syncFileSystemOf(const std::filesystem::path &folder)
{
    if (folder.empty())
        return;
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
#ifdef __linux__
    ::syncfs(descriptor);
#else
    ::sync();   // no per-file-system sync here: every file system, still once per run
#endif
    ::close(descriptor);
}

} // namespace tunvale::engine
