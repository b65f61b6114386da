#include "engine/session/run_report.h"

#include "engine/session/path_text.h"
#include "formats/format_table.h"
#include "formats/io/platform.h"

#include <array>
#include <system_error>

namespace tunvale::engine {

namespace fs = std::filesystem;

namespace {

// Extensions audio files commonly carry. Those the format table reads are taken by their
// format; the others are reported as not handled rather than passed over in silence.
constexpr std::array<std::u16string_view, 26> kAudioExtensions = {
    u".aac", u".ac3", u".aifc", u".alac", u".amr", u".ape", u".au",  u".caf", u".dff",
    u".dsf", u".dts", u".m4a",  u".m4b",  u".mka", u".mp2", u".mpc", u".oga", u".ogg",
    u".opus", u".ra", u".shn",  u".spx",  u".tta", u".w64", u".wma", u".wv",
};

constexpr std::size_t kMaxComponentUnits = 255;

SkipKind kindOf(formats::ReadStatus status)
{
    switch (status) {
    case formats::ReadStatus::Empty:
    case formats::ReadStatus::NotThisFormat: return SkipKind::NotAudio;
    case formats::ReadStatus::CutShort:
    case formats::ReadStatus::Damaged: return SkipKind::Damaged;
    case formats::ReadStatus::Unsupported: return SkipKind::NotHandled;
    case formats::ReadStatus::Ok:
    case formats::ReadStatus::CannotOpen:
    case formats::ReadStatus::ReadFailed:
    case formats::ReadStatus::NoMemory: break;
    }
    return SkipKind::Unreadable;
}

} // namespace

std::string_view skipKindName(SkipKind kind)
{
    switch (kind) {
    case SkipKind::Unreadable: return "unreadable";
    case SkipKind::NotAudio: return "not audio";
    case SkipKind::Damaged: return "damaged";
    case SkipKind::NotHandled: return "format not handled";
    case SkipKind::FolderNotReadable: return "folder not readable";
    case SkipKind::PathTooLong: return "path too long";
    case SkipKind::NoName: return "no name";
    }
    return "unreadable";
}

SkippedFile readSkip(const fs::path &path, const formats::ReadResult &status)
{
    SkipKind kind = kindOf(status.status);
    if (status.status == formats::ReadStatus::CannotOpen && isPathTooLong(path))
        kind = SkipKind::PathTooLong;
    return SkippedFile{path, formats::statusText(status), kind};
}

SkippedFile folderSkip(const fs::path &folder, const std::error_code &error)
{
    const bool tooLong = error == std::errc::filename_too_long || isPathTooLong(folder);
    // The system's words depend on the machine's language: the report says it in its own.
    std::string reason = "folder cannot be listed";
    if (tooLong)
        reason = "path too long";
    else if (error == std::errc::permission_denied)
        reason = "folder cannot be listed: permission denied";
    return SkippedFile{folder, reason, tooLong ? SkipKind::PathTooLong : SkipKind::FolderNotReadable};
}

SkippedFile notHandledSkip(const fs::path &path)
{
    return SkippedFile{path, "format not handled: " + pathToUtf8(fs::path(asciiLower(findExtension(path)))),
                       SkipKind::NotHandled};
}

SkippedFile noNameSkip(const fs::path &path)
{
    return SkippedFile{path, "no file name could be built from its tags", SkipKind::NoName};
}

std::u16string groupStoppedMessage() { return u"Not placed: a file of the same folder failed before it."; }

std::u16string runStoppedMessage() { return u"Not placed: the run stopped when a folder could not be created."; }

bool isUnhandledAudio(const fs::path &path)
{
    const std::u16string extension = asciiLower(findExtension(path));
    if (extension.empty() || formats::formatOfExtension(extension) != nullptr)
        return false;
    for (const std::u16string_view known : kAudioExtensions) {
        if (extension == known)
            return true;
    }
    return false;
}

bool isPathTooLong(const fs::path &path)
{
    if (path.native().size() > platform::maxPathUnits())
        return true;
    for (const fs::path &part : path) {
        if (part.native().size() > kMaxComponentUnits)
            return true;
    }
    return false;
}

std::vector<SkippedFile> allSkipped(const SessionState &session)
{
    std::vector<SkippedFile> all = session.scanSkipped;
    all.insert(all.end(), session.skippedFiles.begin(), session.skippedFiles.end());
    return all;
}

std::string accountLine(std::size_t skipped, std::size_t failed, std::string_view whereToLook)
{
    if (skipped == 0 && failed == 0)
        return {};
    std::string line = std::to_string(skipped) + (skipped == 1 ? " file skipped, " : " files skipped, ")
        + std::to_string(failed) + " failed";
    if (!whereToLook.empty())
        line += " (" + std::string(whereToLook) + ")";
    return line;
}

} // namespace tunvale::engine
