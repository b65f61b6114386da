#pragma once

// The container readers work on files: each input is written to one scratch file per process.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace tunvale::fuzz {

// In memory (/dev/shm) where there is one, since every input is written, read and rewritten.
inline std::filesystem::path scratchPath(const char *name)
{
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                                                      : std::filesystem::temp_directory_path();
    return folder / (std::string("tunvale-fuzz-") + std::to_string(::getpid()) + "-" + name);
}

inline void writeInput(const std::filesystem::path &path, const std::uint8_t *data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
}

} // namespace tunvale::fuzz
