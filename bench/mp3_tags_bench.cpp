// Reading and rewriting MP3 tags: ReadMp3Tags over a folder of tagged files (what the loading
// phase does for every MP3 of a run), and WriteMp3Tags on copies, once with room in the tag
// (rewritten in place) and once without (the file is rewritten beside the copy).
//
// Usage: mp3_tags_bench [files] [audio KiB per file]   (defaults: 2000 files of 256 KiB)
// Prints, per operation: the total time, the microseconds per file and the files per second.

#include "catalog/records/current_tags.h"
#include "catalog/records/load_options.h"
#include "formats/mp3/mp3_tags.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

void putSyncsafe(std::string &out, std::uint32_t value)
{
    for (int shift = 21; shift >= 0; shift -= 7)
        out.push_back(static_cast<char>((value >> shift) & 0x7F));
}

std::string textFrame(const char *id, const std::string &value)
{
    std::string frame = id;
    const auto size = static_cast<std::uint32_t>(value.size() + 1);
    for (int shift = 24; shift >= 0; shift -= 8)
        frame.push_back(static_cast<char>((size >> shift) & 0xFF));
    frame += std::string(2, '\0') + std::string(1, '\0') + value;
    return frame;
}

// An ID3v2.3 tag as taggers write it: a dozen text frames, a 2 KiB picture, 1 KiB of padding.
std::string typicalTag(int index)
{
    std::string frames = textFrame("TIT2", "Track number " + std::to_string(index)) +
                         textFrame("TPE1", "Artist " + std::to_string(index % 97)) +
                         textFrame("TALB", "Album " + std::to_string(index % 211)) +
                         textFrame("TRCK", std::to_string(index % 12 + 1) + "/12") + textFrame("TYER", "1999") +
                         textFrame("TCON", "(17)") + textFrame("TCOM", "Composer") + textFrame("TPOS", "1/1") +
                         textFrame("TENC", "LAME") + textFrame("TPUB", "Label");
    std::string picture = "APIC";
    const std::string body = std::string("\0image/jpeg\0\x03\0", 14) + std::string(2048, 'p');
    const auto size = static_cast<std::uint32_t>(body.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        picture.push_back(static_cast<char>((size >> shift) & 0xFF));
    frames += picture + std::string(2, '\0') + body + std::string(1024, '\0');
    std::string tag = "ID3\x03";
    tag += std::string(2, '\0');
    putSyncsafe(tag, static_cast<std::uint32_t>(frames.size()));
    return tag + frames;
}

std::string audio(std::size_t kib)
{
    std::string frame = "\xFF\xFB\x90\xC4";
    frame.resize(417, '\x55');
    std::string out;
    while (out.size() < kib * 1024)
        out += frame;
    return out;
}

template <typename Operation>
void measure(const char *name, std::size_t files, Operation operation)
{
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < files; ++i)
        operation(i);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double count = static_cast<double>(files);
    std::printf("%-34s %8.3f s %10.1f us/file %10.0f files/s\n", name, seconds, seconds * 1e6 / count,
                count / seconds);
}

} // namespace

int main(int argc, char **argv)
{
    const long files = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2000;
    const long kib = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 256;
    if (files <= 0 || kib <= 0) {
        std::fprintf(stderr, "usage: mp3_tags_bench [files] [audio KiB per file]\n");
        return 2;
    }
    const fs::path folder = fs::temp_directory_path() / ("mp3_tags_bench_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(folder);
    const std::string body = audio(static_cast<std::size_t>(kib));
    std::vector<fs::path> paths;
    for (long i = 0; i < files; ++i) {
        paths.push_back(folder / ("track" + std::to_string(i) + ".mp3"));
        std::ofstream(paths.back(), std::ios::binary) << typicalTag(static_cast<int>(i)) << body;
    }
    std::printf("%ld files, %ld KiB of audio each\n", files, kib);

    const tunvale::catalog::LoadOptions options{true, true};
    volatile int sink = 0;
    measure("ReadMp3Tags", paths.size(), [&](std::size_t i) {
        tunvale::formats::TrackRead read;
        const bool ok = tunvale::formats::ReadMp3Tags(paths[i], options, read).ok();
        tunvale::formats::completeReadTags(read, paths[i], options.tagsFromName);
        sink = sink + (ok ? 0 : 1) + read.tags.Track;
    });
    tunvale::formats::io::WorkNames names;
    measure("WriteMp3Tags in place (padding)", paths.size(), [&](std::size_t i) {
        sink =
            sink + tunvale::formats::WriteMp3Tags(paths[i], {u"New title", u"New artist", 3, 12, false}, names).written;
    });
    const std::u16string longTitle(1500, u'x');
    const std::size_t growCount = std::min<std::size_t>(paths.size(), 200);
    measure("WriteMp3Tags growing the tag", growCount, [&](std::size_t i) {
        sink = sink + tunvale::formats::WriteMp3Tags(paths[i], {longTitle, u"", 0, 0, false}, names).written;
    });
    fs::remove_all(folder);
    return 0;
}
