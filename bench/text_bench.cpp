// The text operations that run for every file and for pairs of catalog entries: word split,
// string similarity, the tag-text conversions, folding and title case. Each is run over a
// fixed set of typical tag texts for a fixed number of rounds.
//
// Usage: text_bench [rounds]   (default: 20000)
// Prints, per operation: the total time, the nanoseconds per call and the calls per second.

#include "catalog/text/fold.h"
#include "catalog/text/names.h"
#include "catalog/text/similarity.h"
#include "catalog/text/tag_text.h"
#include "catalog/text/word_split.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

namespace text = tunvale::text;

const std::vector<std::string> kNames = {
    "The Beatles",
    "Ludwig van Beethoven - Symphony No. 9 in D minor, Op. 125",
    "\xC9lectro-Pop 80's",
    "AC/DC",
    "Rock & roll",
    "Orchestre Philharmonique de Radio France, Myung-Whun Chung",
    "Sigur R\xF3s",
    "Various Artists",
    "The Quick Brown Fox Jumps Over The Lazy Dog",
    "M\xF6tley Cr\xFC" "e",
};

// Sinks results so the compiler keeps the work.
volatile std::size_t g_sink = 0;

template <typename Operation>
void measure(const char *name, long rounds, std::size_t callsPerRound, Operation operation)
{
    const auto start = std::chrono::steady_clock::now();
    for (long round = 0; round < rounds; ++round)
        operation();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const double calls = static_cast<double>(rounds) * static_cast<double>(callsPerRound);
    std::printf("%-28s %9.3f s %10.1f ns/call %12.0f calls/s\n", name, seconds,
                seconds * 1e9 / calls, calls / seconds);
}

} // namespace

int main(int argc, char **argv)
{
    const long rounds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 20000;
    if (rounds <= 0) {
        std::fprintf(stderr, "usage: text_bench [rounds]\n");
        return 2;
    }

    std::vector<std::string> utf8Names;
    std::vector<std::string> utf16Tags;
    for (const std::string &name : kNames) {
        std::string utf8;
        std::string utf16 = "\xFF\xFE";
        for (char c : name) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80) {
                utf8.push_back(c);
            } else {
                utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
                utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
            }
            utf16.push_back(c);
            utf16.push_back('\0');
        }
        utf8Names.push_back(utf8);
        utf16Tags.push_back(utf16);
    }

    std::printf("%ld rounds over %zu texts\n", rounds, kNames.size());
    measure("word split", rounds, kNames.size(), [] {
        for (const std::string &name : kNames)
            g_sink = g_sink + text::splitWords(name).count;
    });
    measure("string similarity (pairs)", rounds, kNames.size() * kNames.size(), [] {
        for (const std::string &a : kNames)
            for (const std::string &b : kNames)
                g_sink = g_sink + static_cast<std::size_t>(text::stringSimilarity(a, b) * 100.0f);
    });
    measure("UTF-8 to 8-bit", rounds, utf8Names.size(), [&utf8Names] {
        for (const std::string &name : utf8Names)
            g_sink = g_sink + text::utf8To8bit(name, 1023).size();
    });
    measure("tag text (UTF-16) to 8-bit", rounds, utf16Tags.size(), [&utf16Tags] {
        for (const std::string &tag : utf16Tags)
            g_sink = g_sink + text::tagTextTo8bit(tag).size();
    });
    measure("fold to lower", rounds, kNames.size(), [] {
        for (const std::string &name : kNames)
            g_sink = g_sink + text::foldToLower(name, 1022).size();
    });
    measure("title case (8-bit)", rounds, kNames.size(), [] {
        for (const std::string &name : kNames) {
            std::string copy = name;
            text::titleCaseInPlace(copy);
            g_sink = g_sink + copy.size();
        }
    });
    measure("contains, folded", rounds, kNames.size(), [] {
        for (const std::string &name : kNames)
            g_sink = g_sink + text::containsFolded(name, "radio");
    });
    return 0;
}
