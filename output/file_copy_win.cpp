// Windows copy: one CopyFileExW call, unbuffered, failing when the destination exists unless
// replacing; the progress routine only looks at the cancel flag.
#include "output/file_copy.h"

#include <windows.h>

namespace tunvale::output {

namespace {

DWORD CALLBACK cancelCheck(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE,
                           LPVOID data)
{
    const auto *cancel = static_cast<const std::atomic<bool> *>(data);
    return cancel != nullptr && cancel->load(std::memory_order_relaxed) ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

} // namespace

int copyFile(const std::filesystem::path &source, const std::filesystem::path &destination, bool failIfExists,
             const std::atomic<bool> *cancel)
{
    DWORD flags = COPY_FILE_NO_BUFFERING;
    if (failIfExists)
        flags |= COPY_FILE_FAIL_IF_EXISTS;
    // CopyFileExW removes the partial destination itself when it fails or is cancelled.
    if (CopyFileExW(source.c_str(), destination.c_str(), cancel != nullptr ? &cancelCheck : nullptr,
                    const_cast<std::atomic<bool> *>(cancel), nullptr, flags))
        return 0;
    const DWORD error = GetLastError();
    return error == 0 ? copy_error::kGeneralFailure : static_cast<int>(error);
}

void clearReadOnly(const std::filesystem::path &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

} // namespace tunvale::output
