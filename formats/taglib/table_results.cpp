#include "formats/taglib/table_results.h"

#include <string>
#include <system_error>

namespace tunvale::formats {

namespace {

ReadStatus statusOf(TagReadError error)
{
    switch (error) {
    case TagReadError::None:
        return ReadStatus::Ok;
    case TagReadError::Open:
        return ReadStatus::CannotOpen;
    case TagReadError::TooLarge:
    case TagReadError::Unsupported:
        return ReadStatus::Unsupported;
    case TagReadError::NotRecognized:
        return ReadStatus::NotThisFormat;
    case TagReadError::Damaged:
        return ReadStatus::Damaged;
    case TagReadError::ReadFailed:
        return ReadStatus::ReadFailed;
    }
    return ReadStatus::Damaged;
}

bool holdsNoByte(const std::filesystem::path &path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return !ec && size == 0;
}

} // namespace

ReadResult tableReadResult(const TagReadResult &result, std::string_view formatName, const std::filesystem::path &path)
{
    if (result.ok())
        return ReadResult::success();
    // The reason an open failed is the same in every format ("not a regular file").
    if (result.error == TagReadError::Open)
        return ReadResult::failure(ReadStatus::CannotOpen, result.reason);
    if (holdsNoByte(path))
        return ReadResult::failure(ReadStatus::Empty);
    std::string detail(formatName);
    detail += ": ";
    detail += result.reason.empty() ? std::string(statusName(statusOf(result.error))) : result.reason;
    return ReadResult::failure(statusOf(result.error), std::move(detail));
}

WriteResult tableWriteResult(const WorkCopyOutcome &outcome)
{
    return outcome.written ? WriteResult::success() : WriteResult::failure(outcome.systemError);
}

bool changesNothing(const TagChanges &changes)
{
    return changes.title.empty() && changes.artist.empty() && changes.track <= 0 && changes.totalTracks <= 0
        && !changes.removePictures;
}

} // namespace tunvale::formats
