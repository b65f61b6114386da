// tunvale-cli organize with the default options on a library of all four formats, made by
// independent tools (the demo library of `make run`), and the copies read back by mutagen.
#include "support/audio_tools.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

using tunvale::testing::CliResult;
using tunvale::testing::TempDir;
using tunvale::testing::haveMutagen;
using tunvale::testing::haveTool;
using tunvale::testing::listTree;
using tunvale::testing::runCommand;
using tunvale::testing::runProgram;
using tunvale::testing::runPython;

std::string quote(const std::string &text)
{
    return tunvale::testing::shellQuote(text);
}

// Prints "relative path|format|title|artist|track" for every file below the folder given.
constexpr const char *kDumpTags = R"(
import glob, os, sys, mutagen
root = sys.argv[1]
for f in sorted(glob.glob(os.path.join(root, '**', '*.*'), recursive=True)):
    m = mutagen.File(f)
    tags = m.tags or {}
    def first(*keys):
        for k in keys:
            if k in tags:
                v = tags[k]
                return str(v[0] if isinstance(v, list) else v)
        return ''
    print('|'.join([os.path.relpath(f, root), type(m).__name__,
                    first('TIT2', 'title'), first('TPE1', 'artist'), first('TRCK', 'tracknumber')]))
)";

TEST(AllFormatsEndToEnd, DemoLibraryIsSortedRenamedAndRetagged)
{
    for (const char *tool : {"sox", "lame", "flac"}) {
        if (!haveTool(tool))
            GTEST_SKIP() << tool << " is needed to make the library";
    }
    if (!haveMutagen())
        GTEST_SKIP() << "mutagen is needed to tag the library";

    TempDir dir;
    const std::string source = (dir / "source").string();
    const std::string sorted = (dir / "sorted").string();
    ASSERT_EQ(runCommand(quote(std::string(TUNVALE_SOURCE_DIR) + "/scripts/make-demo-library.sh") + " " + quote(source) + " 2>&1"), 0);

    const CliResult organized = runProgram(TUNVALE_CLI_PATH, {"organize", source, sorted, "--json"}, {},
                                           {"XDG_STATE_HOME=" + (dir / "state").string()});
    ASSERT_EQ(organized.status, 0) << organized.out;
    const auto report = nlohmann::json::parse(organized.out);
    EXPECT_EQ(report["summary"], "Done: on 11 files, 11 are copied in 4 folders");
    EXPECT_TRUE(report["messages"].empty());

    const std::vector<std::string> expectedTree = {
        "Madonna/",
        "Madonna/01 - Madonna - Like a Prayer.flac",
        "Madonna/02 - Madonna - Frozen.mp3",
        "Madonna/03 - Madonna - Vogue.mp3",
        "Metallica/",
        "Metallica/01 - Metallica - Enter Sandman.wav",
        "Metallica/02 - Metallica - One.mp3",
        "Miscellaneous/",
        "Miscellaneous/01 - Gilbert O'sullivan - Alone Again.mp3",
        "Miscellaneous/Untitled track.mp3",
        "The Beatles/",
        "The Beatles/01 - The Beatles - Come Together.aiff",
        "The Beatles/02 - The Beatles - Help.mp3",
        "The Beatles/03 - Beatles - Yesterday.mp3",
        "The Beatles/04 - The Beatles - Ticket to Ride.mp3",
    };
    EXPECT_EQ(listTree(sorted), expectedTree);

    // The FLAC, WAV and AIFF copies carry the new title, artist and track like the MP3 ones.
    std::string out;
    ASSERT_EQ(runPython(kDumpTags, {sorted}, &out), 0);
    const std::string expectedTags =
        "Madonna/01 - Madonna - Like a Prayer.flac|FLAC|Madonna, Like a Prayer|Madonna|1\n"
        "Madonna/02 - Madonna - Frozen.mp3|MP3|Madonna, Frozen|Madonna|2/3\n"
        "Madonna/03 - Madonna - Vogue.mp3|MP3|Madonna, Vogue|Madonna|3/3\n"
        "Metallica/01 - Metallica - Enter Sandman.wav|WAVE|Metallica, Enter Sandman|Metallica|1/2\n"
        "Metallica/02 - Metallica - One.mp3|MP3|Metallica, One|Metallica|2/2\n"
        "Miscellaneous/01 - Gilbert O'sullivan - Alone Again.mp3|MP3|Gilbert O'sullivan, Alone Again|Gilbert O'sullivan|1\n"
        "Miscellaneous/Untitled track.mp3|MP3|Untitled Track||2\n"
        "The Beatles/01 - The Beatles - Come Together.aiff|AIFF|The Beatles, Come Together|The Beatles|1/4\n"
        "The Beatles/02 - The Beatles - Help.mp3|MP3|The Beatles, Help|The Beatles|2/4\n"
        "The Beatles/03 - Beatles - Yesterday.mp3|MP3|Beatles, Yesterday|Beatles|3/4\n"
        "The Beatles/04 - The Beatles - Ticket to Ride.mp3|MP3|The Beatles, Ticket to Ride|The Beatles|4/4\n";
    EXPECT_EQ(out, expectedTags);
}

} // namespace
