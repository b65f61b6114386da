#pragma once

#include "formats/io/file_identity.h"

#include <filesystem>
#include <set>
#include <vector>

namespace tunvale::output {

// The files a run reads, known by identity: placement never writes over one of them, whatever
// path names it (the same folder spelled another way, a link, a hard link), since a source is
// only read, and may still be waiting to be read.
class RunSources {
public:
    RunSources() = default;
    explicit RunSources(const std::vector<std::filesystem::path> &files);

    // True when path names one of the sources: the name itself, or where it leads.
    bool holds(const std::filesystem::path &path) const;

private:
    void add(const std::filesystem::path &path);

    std::set<formats::io::FileKey> m_keys;
};

} // namespace tunvale::output
