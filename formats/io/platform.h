#pragma once

// What differs between the systems the program runs on, behind plain functions. Each has a
// POSIX definition (platform_posix.cpp) and a Windows one (platform_win.cpp); the rest of the
// program never asks which system it runs on.

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace tunvale::platform {

// The running process's id.
int processId();

// seconds as a calendar time in UTC.
std::tm utcTime(std::time_t seconds);

// A path as UTF-8 and back. On POSIX the bytes of the name as they are (a name that is not
// valid UTF-8 keeps its bytes); on Windows the wide name converted.
std::string pathToUtf8(const std::filesystem::path &path);
std::filesystem::path pathFromUtf8(std::string_view text);

// A path as UTF-16 text and back (on POSIX through UTF-8).
std::u16string pathToUtf16(const std::filesystem::path &path);
std::filesystem::path pathFromUtf16(std::u16string_view text);

// Creates the file at path for reading and writing in binary mode, failing when a file of that
// name exists; null on failure (errno set).
std::FILE *openNewFile(const std::filesystem::path &path);

// Opens the file at path for writing at its end (binary); null on failure.
std::FILE *openForAppending(const std::filesystem::path &path);

// The folder where the program keeps its per-user state (the journals): on Windows
// %LOCALAPPDATA%\Tunvale, elsewhere $XDG_STATE_HOME/tunvale (an absolute XDG_STATE_HOME
// only) or ~/.local/state/tunvale; empty when the environment names none.
std::filesystem::path programStateFolder();

// Moves the position of file to offset (which may lie past 2 GiB); false on failure.
bool seekFile(std::FILE *file, std::uint64_t offset);

// Hands the data written to file so far to the disk (the C library's buffer is flushed by the
// caller first).
void flushFileData(std::FILE *file);

// The longest path the system takes, in its own code units.
std::size_t maxPathUnits();

// The code of a failure reported by the standard library's file-system calls, in the code
// space of the program's messages (Windows error codes); systemErrorCode maps an errno value
// there.
int fileSystemErrorCode(const std::error_code &error, int (*systemErrorCode)(int errnoValue));

} // namespace tunvale::platform
