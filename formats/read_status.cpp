#include "formats/read_status.h"

namespace tunvale::formats {

std::string_view statusName(ReadStatus status)
{
    switch (status) {
    case ReadStatus::Ok:
        return "read";
    case ReadStatus::CannotOpen:
        return "cannot open";
    case ReadStatus::Empty:
        return "empty file";
    case ReadStatus::NotThisFormat:
        return "not this format";
    case ReadStatus::CutShort:
        return "cut short";
    case ReadStatus::Unsupported:
        return "unsupported";
    case ReadStatus::Damaged:
        return "damaged";
    case ReadStatus::ReadFailed:
        return "read error";
    case ReadStatus::NoMemory:
        return "out of memory";
    }
    return "unknown";
}

std::string statusText(const ReadResult &result)
{
    return result.detail.empty() ? std::string(statusName(result.status)) : result.detail;
}

ReadResult openedStatus(bool opened, OpenError error, std::uint64_t size)
{
    if (!opened)
        return ReadResult::failure(ReadStatus::CannotOpen, std::string(openErrorReason(error)));
    if (size == 0)
        return ReadResult::failure(ReadStatus::Empty);
    return ReadResult::success();
}

} // namespace tunvale::formats
