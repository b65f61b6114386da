#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>

namespace tunvale::output {

// A file being written by a conversion. Errors are copy error codes (file_copy.h), as a
// copy's; 0 means success.
class ConversionFile {
public:
    ConversionFile() = default;
    ~ConversionFile();
    ConversionFile(const ConversionFile &) = delete;
    ConversionFile &operator=(const ConversionFile &) = delete;
    // Takes over the other file (open or closed) and its path, closing this one first.
    ConversionFile &operator=(ConversionFile &&other) noexcept;

    // Creates path for writing only when no file, folder or link of that name exists.
    int createNew(const std::filesystem::path &path);
    int write(std::span<const std::uint8_t> bytes);
    // Overwrites bytes at offset, then goes back to the end of the file.
    int writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    // Copies every byte of this (open) file from offset on into target.
    int copyTo(ConversionFile &target, std::uint64_t offset);
    // Flushes and closes; the error of a write that only showed up now is returned.
    int close();
    // Closes (ignoring errors) and deletes the file.
    void discard();

    bool isOpen() const { return m_file != nullptr; }
    const std::filesystem::path &path() const { return m_path; }

private:
    std::FILE *m_file = nullptr;
    std::filesystem::path m_path;
};

} // namespace tunvale::output
