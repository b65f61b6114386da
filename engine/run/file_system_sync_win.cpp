#include "engine/run/file_system_sync.h"

#include <windows.h>

namespace tunvale::engine {

void syncFileSystemOf(const std::filesystem::path &folder)
{
    if (folder.empty())
        return;
    // Flushing a volume handle needs administrator rights; without them the files reach the
    // disk as Windows writes back its cache.
    const std::wstring root = folder.root_name().wstring();
    if (root.size() != 2 || root[1] != L':')
        return;
    const std::wstring volume = L"\\\\.\\" + root;
    HANDLE handle = CreateFileW(volume.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    FlushFileBuffers(handle);
    CloseHandle(handle);
}

} // namespace tunvale::engine
