// POSIX journal lock: flock, which belongs to the open file and is dropped by the system when
// the last descriptor of it closes, which a process's end always does.
#include "engine/undo/journal_lock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tunvale::engine {

bool lockOpenJournal(std::FILE *file)
{
    return file != nullptr && ::flock(::fileno(file), LOCK_EX | LOCK_NB) == 0;
}

JournalLock::~JournalLock()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
}

JournalLockResult JournalLock::acquire(const std::filesystem::path &path)
{
    if (m_handle >= 0)
        return JournalLockResult::Locked;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return JournalLockResult::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? JournalLockResult::Busy : JournalLockResult::Failed;
    }
    m_handle = fd;
    return JournalLockResult::Locked;
}

} // namespace tunvale::engine
