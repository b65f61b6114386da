// The loading phase of an organize run against the floor of reading every file's head:
//   organize_loading FOLDER [RUNS]
// prints, as the median of RUNS (default 5) warm-cache runs, the time to read the first
// 64 KiB of every audio file below FOLDER (any format of the format table), the time of the
// loaders (each file's format found from its extension, its tags read, completed and taken
// into the catalog, as the worker's loading phase does it without its pauses), and their
// ratio, with the count of files of each format.
#include "catalog/records/catalog.h"
#include "engine/path_text.h"
#include "engine/source_scan.h"
#include "engine/track_loading.h"
#include "formats/format_table.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <map>
#include <string>

#include <fcntl.h>
#include <unistd.h>

using namespace tunvale;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double readHeads(const std::vector<std::filesystem::path> &files)
{
    static char buffer[64 * 1024];
    const auto start = Clock::now();
    for (const auto &file : files) {
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::read(fd, buffer, sizeof buffer) < 0)
            std::perror("read");
        ::close(fd);
    }
    return seconds(start);
}

// The row of every file, found before the timing as the scan's caller does.
std::vector<const formats::FormatRow *> rowsOf(const std::vector<std::filesystem::path> &files)
{
    std::vector<const formats::FormatRow *> rows;
    for (const auto &file : files)
        rows.push_back(formats::formatOfExtension(engine::findExtension(file)));
    return rows;
}

double loadAll(const std::vector<std::filesystem::path> &files, const std::vector<const formats::FormatRow *> &rows,
               int &loaded)
{
    catalog::Catalog catalog;
    const catalog::LoadOptions options;
    loaded = 0;
    const auto start = Clock::now();
    for (std::size_t i = 0; i < files.size(); ++i) {
        formats::TrackRead read;
        if (rows[i] != nullptr && engine::loadTrack(*rows[i], files[i], catalog::criterion::kArtist, options, catalog, read).ok())
            ++loaded;
    }
    return seconds(start);
}

std::vector<std::string> everyExtension()
{
    std::vector<std::string> extensions;
    for (const formats::FormatRow &row : formats::formatTable()) {
        for (const std::string_view extension : row.extensions)
            extensions.emplace_back(extension);
    }
    return extensions;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::vector<std::filesystem::path> files;
    engine::scanSource(argv[1], everyExtension(), files);
    if (files.empty()) {
        std::fprintf(stderr, "no audio file below %s\n", argv[1]);
        return 1;
    }
    const std::vector<const formats::FormatRow *> rows = rowsOf(files);
    std::map<std::string, int> perFormat;
    for (const formats::FormatRow *row : rows)
        ++perFormat[row != nullptr ? std::string(row->id) : "(none)"];
    int loaded = 0;
    readHeads(files);   // warm the cache
    std::vector<double> heads;
    std::vector<double> loads;
    for (int run = 0; run < runs; ++run) {
        heads.push_back(readHeads(files));
        loads.push_back(loadAll(files, rows, loaded));
    }
    const double head = median(heads);
    const double load = median(loads);
    std::printf("files                 %zu (%d loaded)\n", files.size(), loaded);
    for (const auto &[id, count] : perFormat)
        std::printf("  %-19s %d\n", id.c_str(), count);
    std::printf("read first 64 KiB     %.3f s\n", head);
    std::printf("loading phase         %.3f s\n", load);
    std::printf("ratio                 %.2f (goal <= 3)\n", load / head);
    return 0;
}
