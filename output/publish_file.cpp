#include "output/publish_file.h"

#include "formats/io/file_identity.h"
#include "formats/io/platform.h"
#include "formats/io/work_files.h"
#include "output/file_copy.h"
#include "output/name_text.h"
#include "output/system_error.h"

#include <cerrno>
#include <string>
#include <system_error>

namespace tunvale::output {

namespace fs = std::filesystem;
namespace io = formats::io;

namespace {

constexpr unsigned kMaxKeptAttempts = 64;

bool isCollision(int error)
{
    return error == copy_error::kFileExists || error == copy_error::kAlreadyExists
        || error == copy_error::kAccessDenied;
}

bool writable(const fs::path &path)
{
    std::error_code ec;
    const fs::perms perms = fs::status(path, ec).permissions();
    if (ec)
        return false;
    return (perms & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) != fs::perms::none;
}

// The file being placed, or any other file the run still reads: never written over.
bool isSource(const PlacementContext &context, const fs::path &path)
{
    if (context.runSources != nullptr && context.runSources->holds(path))
        return true;
    std::error_code ec;
    return !context.sourcePath.empty() && fs::equivalent(path, context.sourcePath, ec) && !ec;
}

} // namespace

bool mayKeepAside(const PlacementContext &context, const fs::path &original)
{
    const io::EntryKind kind = io::entryKind(original);
    // Like the read-only attribute on Windows: a folder, a device, a file without write
    // permission and the file being copied are never replaced.
    if (kind == io::EntryKind::Folder || kind == io::EntryKind::Other)
        return false;
    if (kind == io::EntryKind::File && !writable(original))
        return false;
    // A link that leads to a file the run reads counts as that file.
    if (isSource(context, original))
        return false;
    if (!io::identityOf(original).valid)
        return false;
    const fs::path root = context.destinationRoot.empty() ? original.parent_path() : context.destinationRoot;
    const io::EntryKind keptKind = io::entryKind(io::keptFolder(root));
    // Never keep anything through a link.
    return keptKind == io::EntryKind::Missing || keptKind == io::EntryKind::Folder;
}

namespace {

// Moves the entry at original into the kept folder so that its name can be taken; 0 when the
// name is free now, kAccessDenied when the entry may not be replaced or cannot be kept.
int keepAside(PlacementContext &context, const fs::path &original)
{
    if (io::entryKind(original) == io::EntryKind::Missing)
        return 0;
    if (!mayKeepAside(context, original))
        return copy_error::kAccessDenied;
    const io::FileIdentity identity = io::identityOf(original);
    if (!identity.valid)
        return copy_error::kAccessDenied;
    const fs::path root = context.destinationRoot.empty() ? original.parent_path() : context.destinationRoot;
    for (unsigned attempt = 0; attempt < kMaxKeptAttempts; ++attempt) {
        const fs::path kept = context.names().keptPath(root, original, attempt);
        if (kept.empty())
            return copy_error::kAccessDenied;
        // Recorded before its folders are made: whatever a crash leaves of them, undo knows.
        if (context.recorder != nullptr)
            context.recorder->keeping(original, identity, kept);
        std::error_code ec;
        fs::create_directories(kept.parent_path(), ec);
        if (ec)
            return copy_error::kAccessDenied;
        const int error = io::renameNoReplace(original, kept);
        if (error == 0 || error == ENOENT)
            return 0;
        if (error != EEXIST)
            return copy_error::kAccessDenied;   // another file system: it could only be destroyed
    }
    return copy_error::kAccessDenied;
}

// Gives work the name candidate; 0, or a copy_error code.
int publishAt(PlacementContext &context, const fs::path &work, const io::FileIdentity &identity,
              const fs::path &candidate, TakenName whenTaken)
{
    if (context.recorder != nullptr)
        context.recorder->publishing(candidate, identity);
    if (whenTaken == TakenName::Replace) {
        std::error_code ec;
        fs::rename(work, candidate, ec);
        if (!ec)
            return 0;
        return platform::fileSystemErrorCode(ec, [](int errnoValue) { return systemErrorCode(errnoValue); });
    }
    // A name freed by keeping its file aside may be taken again meanwhile: a few tries.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int error = io::renameNoReplace(work, candidate);
        if (error == 0)
            return 0;
        if (error != EEXIST)
            return systemErrorCode(error);
        if (whenTaken != TakenName::KeepAside)
            return copy_error::kFileExists;
        if (const int kept = keepAside(context, candidate); kept != 0)
            return kept;
    }
    return copy_error::kFileExists;
}

} // namespace

fs::path iterationPath(const fs::path &destination, int n)
{
    // Worked on the name's UTF-8 bytes (on POSIX the name's own bytes), so the limit is the
    // file systems' 255 bytes and a cut never falls inside a character.
    const std::string fileName = platform::pathToUtf8(destination.filename());
    const std::size_t dot = fileName.rfind('.');
    const std::size_t extensionSize = dot == std::string::npos || dot == 0 ? 0 : fileName.size() - dot;
    std::string stem = fileName.substr(0, fileName.size() - extensionSize);
    std::string suffix = "(" + std::to_string(n) + ")" + fileName.substr(stem.size());
    for (std::size_t i = suffix.size() - extensionSize; i < suffix.size(); ++i) {
        if (suffix[i] >= 'A' && suffix[i] <= 'Z')
            suffix[i] = static_cast<char>(suffix[i] + ('a' - 'A'));
    }
    if (stem.size() + suffix.size() > kMaxComponentBytes) {
        std::size_t cut = kMaxComponentBytes - suffix.size();
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
            --cut;   // never inside a UTF-8 sequence
        stem.resize(cut);
    }
    return destination.parent_path() / platform::pathFromUtf8(stem + suffix);
}

int publishWorkFile(PlacementContext &context, const fs::path &work, TakenName whenTaken, int lastIteration,
                    const io::FileIdentity &known)
{
    context.placedIdentity = {};
    // Taken once the file is final: the rename keeps all four parts of it.
    const io::FileIdentity identity = known.valid ? known : io::identityOf(work);
    int result = copy_error::kGeneralFailure;
    if (identity.valid && !identity.link) {
        for (int n = 0; n <= lastIteration; ++n) {
            const fs::path candidate = n == 0 ? context.destinationPath : iterationPath(context.destinationPath, n);
            result = publishAt(context, work, identity, candidate, whenTaken);
            if (result == 0) {
                context.destinationPath = candidate;
                context.placedIdentity = identity;
                return 0;
            }
            // Only a taken or locked name is worth another iteration.
            if (!isCollision(result))
                break;
        }
    }
    std::error_code ec;
    fs::remove(work, ec);
    return result;
}

} // namespace tunvale::output
