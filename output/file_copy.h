#pragma once

// The platform copy used by placement. Results are Windows system error codes on every
// platform, because they reach the user in the same messages everywhere.

#include <atomic>
#include <filesystem>

namespace tunvale::output {

namespace copy_error {
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kNotEnoughMemory = 8;
inline constexpr int kGeneralFailure = 31;
inline constexpr int kFileExists = 80;
inline constexpr int kDiskFull = 112;
inline constexpr int kInvalidName = 123;
inline constexpr int kAlreadyExists = 183;
inline constexpr int kFileNameTooLong = 206;
inline constexpr int kFileTooLarge = 223;
inline constexpr int kIoDevice = 1117;
inline constexpr int kRequestAborted = 1235;
inline constexpr int kCannotResolveName = 1921;
} // namespace copy_error

// Copies the whole file source to destination; 0 on success, otherwise a copy_error code:
// kFileNotFound for a missing source, kPathNotFound for a missing destination folder,
// kFileExists when failIfExists is set and destination exists, kAccessDenied when it may not
// be written (a read-only file or a folder is never replaced). On failure nothing is left at
// destination: a file it created is removed, a file it would replace stays as it was. The
// cancel flag (may be null) is looked at between large blocks; a cancelled copy gives
// kRequestAborted.
int copyFile(const std::filesystem::path &source, const std::filesystem::path &destination, bool failIfExists,
             const std::atomic<bool> *cancel);

// Makes a file writable (clears the read-only attribute); failures are ignored.
void clearReadOnly(const std::filesystem::path &path);

} // namespace tunvale::output
