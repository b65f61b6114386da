#include "formats/audio/regular_file.h"

#include <utility>

namespace tunvale::formats {

std::string_view openErrorReason(OpenError error)
{
    switch (error) {
    case OpenError::None: return {};
    case OpenError::NotFound: return "not found";
    case OpenError::NotRegular: return "not a regular file";
    case OpenError::Denied: return "access denied";
    case OpenError::Failed: break;
    }
    return "cannot be opened";
}

RegularFile::~RegularFile() { close(); }

RegularFile::RegularFile(RegularFile &&other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1))
    , m_size(std::exchange(other.m_size, 0))
    , m_status(other.m_status)
    , m_error(other.m_error)
    , m_readFailed(other.m_readFailed)
{
}

RegularFile &RegularFile::operator=(RegularFile &&other) noexcept
{
    if (this != &other) {
        close();
        m_descriptor = std::exchange(other.m_descriptor, -1);
        m_size = std::exchange(other.m_size, 0);
        m_status = other.m_status;
        m_error = other.m_error;
        m_readFailed = other.m_readFailed;
    }
    return *this;
}

} // namespace tunvale::formats
