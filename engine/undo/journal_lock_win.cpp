// Windows journal lock: LockFileEx on one byte far past the end of the journal, so that the
// lock, which Windows enforces on reads, never covers what undo and --list read. The system
// releases it when the handle closes, which a process's end always does.
#include "engine/undo/journal_lock.h"

#include <io.h>
#include <windows.h>

namespace tunvale::engine {

namespace {

bool lockHandle(HANDLE handle)
{
    OVERLAPPED where{};
    where.Offset = 0;
    where.OffsetHigh = 0x7FFFFFFF;
    return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where) != 0;
}

} // namespace

bool lockOpenJournal(std::FILE *file)
{
    if (file == nullptr)
        return false;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return handle != INVALID_HANDLE_VALUE && lockHandle(handle);
}

JournalLock::~JournalLock()
{
    if (m_handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

JournalLockResult JournalLock::acquire(const std::filesystem::path &path)
{
    if (m_handle != -1)
        return JournalLockResult::Locked;
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return JournalLockResult::Failed;
    if (!lockHandle(handle)) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        return error == ERROR_LOCK_VIOLATION ? JournalLockResult::Busy : JournalLockResult::Failed;
    }
    m_handle = reinterpret_cast<std::intptr_t>(handle);
    return JournalLockResult::Locked;
}

} // namespace tunvale::engine
