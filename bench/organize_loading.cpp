// The loading phase of an organize run against the floor of reading every file's head:
//   organize_loading FOLDER [RUNS]
// prints, as the median of RUNS (default 5) warm-cache runs, the time to read the first
// 64 KiB of every audio file below FOLDER (any format of the format table), on one thread and
// split over two; the time of the loaders (each file's format found from its extension, its
// tags read, completed and taken into the catalog) one file after another on one thread, and
// read ahead on a second thread as the run's loading phase does it (without its pauses); and
// the ratios, with the count of files of each format.
#include "catalog/records/catalog.h"
#include "engine/session/path_text.h"
#include "engine/threads/reads_ahead.h"
#include "engine/load/source_scan.h"
#include "engine/load/track_loading.h"
#include "formats/format_table.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <map>
#include <string>
#include <thread>

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

void readHeadsOf(const std::vector<std::filesystem::path> &files, std::size_t begin, std::size_t end)
{
    std::vector<char> buffer(64 * 1024);
    for (std::size_t i = begin; i < end; ++i) {
        const int fd = ::open(files[i].c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::read(fd, buffer.data(), buffer.size()) < 0)
            std::perror("read");
        ::close(fd);
    }
}

// Two threads, each reading the heads of half the files.
double readHeadsOnTwoThreads(const std::vector<std::filesystem::path> &files)
{
    const auto start = Clock::now();
    std::thread second([&] { readHeadsOf(files, files.size() / 2, files.size()); });
    readHeadsOf(files, 0, files.size() / 2);
    second.join();
    return seconds(start);
}

double readHeads(const std::vector<std::filesystem::path> &files)
{
    const auto start = Clock::now();
    readHeadsOf(files, 0, files.size());
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

// The loading loop of a run: each file read ahead on a second thread, at most
// kFilesReadAhead files before its turn, then its record taken into the catalog here.
double loadReadingAhead(const std::vector<std::filesystem::path> &files,
                        const std::vector<const formats::FormatRow *> &rows, int &loaded)
{
    catalog::Catalog catalog;
    const catalog::LoadOptions options;
    std::size_t asked = 0;
    loaded = 0;
    const auto start = Clock::now();
    engine::readInOrder(
        files, options, false,
        [&](const std::filesystem::path &) {
            // Asked in order, so the row of the file asked is the next one.
            std::vector<const engine::ReadTrackFn *> readers;
            if (const formats::FormatRow *row = rows[asked++])
                readers.push_back(&engine::formatReader(*row));
            return readers;
        },
        [&](std::size_t n, std::vector<engine::ReadsAhead::Read> &reads) {
            for (const engine::ReadsAhead::Read &read : reads) {
                if (!read.status.ok())
                    continue;
                engine::takeTrack(files[n], catalog::criterion::kArtist, options, read.track, catalog);
                ++loaded;
            }
            return true;
        });
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
    int loadedAhead = 0;
    readHeads(files);   // warm the cache
    std::vector<double> heads;
    std::vector<double> twoThreadHeads;
    std::vector<double> loads;
    std::vector<double> loadsAhead;
    for (int run = 0; run < runs; ++run) {
        heads.push_back(readHeads(files));
        twoThreadHeads.push_back(readHeadsOnTwoThreads(files));
        loads.push_back(loadAll(files, rows, loaded));
        loadsAhead.push_back(loadReadingAhead(files, rows, loadedAhead));
    }
    const double head = median(heads);
    const double twoThreadHead = median(twoThreadHeads);
    const double load = median(loads);
    const double loadAhead = median(loadsAhead);
    std::printf("files                 %zu (%d loaded, %d read ahead)\n", files.size(), loaded, loadedAhead);
    for (const auto &[id, count] : perFormat)
        std::printf("  %-19s %d\n", id.c_str(), count);
    std::printf("read first 64 KiB     %.3f s (two threads: %.3f s)\n", head, twoThreadHead);
    std::printf("loading, one thread   %.3f s (ratio %.2f)\n", load, load / head);
    std::printf("loading, read ahead   %.3f s\n", loadAhead);
    std::printf("ratio                 %.2f (goal <= 3); against the heads read on two threads %.2f\n",
                loadAhead / head, loadAhead / twoThreadHead);
    return 0;
}
