#pragma once

// What tells one file from another, and the few file operations that must never replace or
// follow anything: the platform layer under placement, the run journal and undo.

#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tunvale::formats::io {

// A file's identity: the file system it lives on, its number there, its size and its
// modification time. A file a run made is known again only when all four still match.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;   // nanoseconds since 1970 (100 ns steps on Windows)
    bool link = false;           // the entry is a symbolic link (identity of the link itself)
    bool valid = false;

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// The identity of the regular file or link at path, never following a link; invalid when
// there is none (nothing there, a folder, a device).
FileIdentity identityOf(const std::filesystem::path &path);

// The file system and number of a file: what makes it the same file whatever path names it
// (another spelling of its folder, a hard link), whatever its size or time.
struct FileKey {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const FileKey &) const = default;
};

// The key of the file at path: of the link itself when path is a link and followLinks is
// false, of what it leads to otherwise. Nothing when there is no entry or it cannot be read.
std::optional<FileKey> fileKeyOf(const std::filesystem::path &path, bool followLinks);

// The keys of the entry at path and of what it leads to: the same key twice for anything but
// a link, found with one look at the entry.
struct EntryKeys {
    std::optional<FileKey> entry;
    std::optional<FileKey> target;
};
EntryKeys entryKeysOf(const std::filesystem::path &path);

// "device:inode:size:modified" (":link" appended for a link); "-" for an invalid identity.
std::string identityText(const FileIdentity &identity);
// The identity written by identityText; invalid when text is not one.
FileIdentity identityFromText(std::string_view text);

// What stands at a path, not following a link.
enum class EntryKind { Missing, File, Folder, Link, Other };
EntryKind entryKind(const std::filesystem::path &path);

// Gives from the name to when no entry of that name exists, atomically where the file system
// allows it (renameat2 RENAME_NOREPLACE, else link and unlink; MoveFileEx without
// MOVEFILE_REPLACE_EXISTING on Windows). 0 on success, EEXIST when the name is taken, another
// errno value otherwise.
int renameNoReplace(const std::filesystem::path &from, const std::filesystem::path &to);

// Creates path as a new empty file, owner read and write, failing with EEXIST when any entry
// has that name (a link is never followed). 0 or an errno value.
int createExclusive(const std::filesystem::path &path);

// Deletes the regular file at path when its identity is identity; never a link, never a
// folder. True when it was deleted.
bool removeIfIdentity(const std::filesystem::path &path, const FileIdentity &identity);

} // namespace tunvale::formats::io
