// The loading phase of an organize run against the floor of reading every file's head:
//   organize_loading FOLDER [RUNS]
// prints, as the median of RUNS (default 5) warm-cache runs, the time to read the first
// 64 KiB of every MP3 below FOLDER, the time of the MP3 loader (tags read, completed and
// taken into the catalog, as the worker's loading phase does it without its pauses), and
// their ratio.
#include "catalog/records/catalog.h"
#include "engine/source_scan.h"
#include "engine/track_loading.h"
#include "formats/format_table.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

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

double loadAll(const std::vector<std::filesystem::path> &files, int &loaded)
{
    catalog::Catalog catalog;
    const catalog::LoadOptions options;
    const formats::FormatRow &mp3 = *formats::findFormat("mp3");
    loaded = 0;
    const auto start = Clock::now();
    for (const auto &file : files) {
        formats::TrackRead read;
        if (engine::loadTrack(mp3, file, catalog::criterion::kArtist, options, catalog, read).ok())
            ++loaded;
    }
    return seconds(start);
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
    engine::scanSource(argv[1], {".mp3"}, files);
    if (files.empty()) {
        std::fprintf(stderr, "no MP3 file below %s\n", argv[1]);
        return 1;
    }
    int loaded = 0;
    readHeads(files);   // warm the cache
    std::vector<double> heads;
    std::vector<double> loads;
    for (int run = 0; run < runs; ++run) {
        heads.push_back(readHeads(files));
        loads.push_back(loadAll(files, loaded));
    }
    const double head = median(heads);
    const double load = median(loads);
    std::printf("files                 %zu (%d loaded)\n", files.size(), loaded);
    std::printf("read first 64 KiB     %.3f s\n", head);
    std::printf("MP3 loading phase     %.3f s\n", load);
    std::printf("ratio                 %.2f (goal <= 3)\n", load / head);
    return 0;
}
