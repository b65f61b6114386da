#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace tunvale::output {

// What makes a file itself whatever path names it: its device (volume) and its number there.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    auto operator<=>(const FileIdentity &) const = default;
};

// The identity of the file at path: of the link itself when path is a link and followLinks is
// false, of what it leads to otherwise. Nothing when there is no file or it cannot be read.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path &path, bool followLinks);

} // namespace tunvale::output
