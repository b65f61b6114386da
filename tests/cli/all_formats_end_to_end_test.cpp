// tunvale-cli organize with the default options on a library of all seven formats with names in
// several scripts, made by independent tools (the demo library of `make run`), and the copies
// read back by mutagen.
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

// Prints "relative path|format|title|artist|track|album artist|compilation" for every file below
// the folder given (ID3, Vorbis comment and MP4 keys; an MP4 track pair as "n/total").
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
                v = v[0] if isinstance(v, list) else v
                if isinstance(v, tuple):
                    v = '/'.join(str(n) for n in v if n)
                return str(v)
        return ''
    print('|'.join([os.path.relpath(f, root), type(m).__name__,
                    first('TIT2', 'title', '\xa9nam'), first('TPE1', 'artist', '\xa9ART'),
                    first('TRCK', 'tracknumber', 'trkn'), first('TPE2', 'albumartist'),
                    first('TCMP', 'compilation')]))
)";

TEST(AllFormatsEndToEnd, DemoLibraryIsSortedRenamedAndRetagged)
{
    for (const char *tool : {"sox", "lame", "flac", "oggenc", "opusenc", "ffmpeg"}) {
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
    EXPECT_EQ(report["summary"], "Done: on 22 files, 22 are copied in 8 folders");
    EXPECT_TRUE(report["messages"].empty());
    // The FLAC cut short in a download is left out, with its reader's reason.
    ASSERT_EQ(report["skipped"].size(), 1u) << report["skipped"].dump();
    EXPECT_EQ(report["skipped"][0]["path"], source + "/unsorted/half downloaded.flac");
    EXPECT_EQ(report["skipped"][0]["reason"], "FLAC: no stream information");

    const std::vector<std::string> expectedTree = {
        "Françoise Hardy/",
        "Françoise Hardy/01 - Françoise Hardy - Tous les Garçons et les Filles.ogg",
        "Françoise Hardy/02 - Francoise Hardy - Le Temps de L'amour.ogg",
        "Madonna/",
        "Madonna/01 - Madonna - Holiday.mp3",
        "Madonna/02 - Madonna - Like a Prayer.flac",
        "Madonna/03 - Madonna - Frozen.mp3",
        "Madonna/04 - Madonna - Vogue.mp3",
        "Metallica/",
        "Metallica/01 - Metallica - Enter Sandman.wav",
        "Metallica/02 - Metallica - One.mp3",
        "Miscellaneous/",
        "Miscellaneous/01 - Gilbert O'sullivan - Alone Again.mp3",
        "Miscellaneous/Untitled track.mp3",
        "The Beatles/",
        "The Beatles/01 - The Beatles - Something.mp3",
        "The Beatles/02 - The Beatles - Come Together.aiff",
        "The Beatles/03 - The Beatles - Help.mp3",
        "The Beatles/04 - Beatles - Yesterday.mp3",
        "The Beatles/05 - The Beatles - Ticket to Ride.mp3",
        "Μίκης Θεοδωράκης/",
        "Μίκης Θεοδωράκης/01 - Μίκης Θεοδωράκης - Ζορμπάς.m4a",
        "Μίκης Θεοδωράκης/02 - Μίκης Θεοδωράκης - Το Τρένο Φεύγει Στις Οχτώ.m4a",
        "Кино/",
        "Кино/01 - Кино - Кукушка.mp3",
        "Кино/02 - Кино - Группа Крови.opus",
        "Кино/03 - Кино - Звезда по Имени Солнце.opus",
        "坂本龍一/",
        "坂本龍一/01 - 坂本龍一 - 戦場のメリークリスマス.m4a",
        "坂本龍一/02 - 坂本龍一 - 東風.m4a",
    };
    EXPECT_EQ(listTree(sorted), expectedTree);

    // Every format's copies carry the new title, artist and track; the compilation's tracks,
    // sorted by their own artists, keep its album artist and flag.
    std::string out;
    ASSERT_EQ(runPython(kDumpTags, {sorted}, &out), 0);
    const std::string expectedTags =
        "Françoise Hardy/01 - Françoise Hardy - Tous les Garçons et les Filles.ogg|OggVorbis|Françoise Hardy, Tous les Garçons et les Filles|Françoise Hardy|1||\n"
        "Françoise Hardy/02 - Francoise Hardy - Le Temps de L'amour.ogg|OggVorbis|Francoise Hardy, Le Temps de L'amour|Francoise Hardy|2||\n"
        "Madonna/01 - Madonna - Holiday.mp3|MP3|Madonna, Holiday|Madonna|1/4|Various Artists|1\n"
        "Madonna/02 - Madonna - Like a Prayer.flac|FLAC|Madonna, Like a Prayer|Madonna|2||\n"
        "Madonna/03 - Madonna - Frozen.mp3|MP3|Madonna, Frozen|Madonna|3/4||\n"
        "Madonna/04 - Madonna - Vogue.mp3|MP3|Madonna, Vogue|Madonna|4/4||\n"
        "Metallica/01 - Metallica - Enter Sandman.wav|WAVE|Metallica, Enter Sandman|Metallica|1/2||\n"
        "Metallica/02 - Metallica - One.mp3|MP3|Metallica, One|Metallica|2/2||\n"
        "Miscellaneous/01 - Gilbert O'sullivan - Alone Again.mp3|MP3|Gilbert O'sullivan, Alone Again|Gilbert O'sullivan|1||\n"
        "Miscellaneous/Untitled track.mp3|MP3|Untitled Track||2||\n"
        "The Beatles/01 - The Beatles - Something.mp3|MP3|The Beatles, Something|The Beatles|1/5|Various Artists|1\n"
        "The Beatles/02 - The Beatles - Come Together.aiff|AIFF|The Beatles, Come Together|The Beatles|2/5||\n"
        "The Beatles/03 - The Beatles - Help.mp3|MP3|The Beatles, Help|The Beatles|3/5||\n"
        "The Beatles/04 - Beatles - Yesterday.mp3|MP3|Beatles, Yesterday|Beatles|4/5||\n"
        "The Beatles/05 - The Beatles - Ticket to Ride.mp3|MP3|The Beatles, Ticket to Ride|The Beatles|5/5||\n"
        "Μίκης Θεοδωράκης/01 - Μίκης Θεοδωράκης - Ζορμπάς.m4a|MP4|Μίκης Θεοδωράκης, Ζορμπάς|Μίκης Θεοδωράκης|1/2||\n"
        "Μίκης Θεοδωράκης/02 - Μίκης Θεοδωράκης - Το Τρένο Φεύγει Στις Οχτώ.m4a|MP4|Μίκης Θεοδωράκης, Το Τρένο Φεύγει Στις Οχτώ|Μίκης Θεοδωράκης|2/2||\n"
        "Кино/01 - Кино - Кукушка.mp3|MP3|Кино, Кукушка|Кино|1/3|Various Artists|1\n"
        "Кино/02 - Кино - Группа Крови.opus|OggOpus|Кино, Группа Крови|Кино|2||\n"
        "Кино/03 - Кино - Звезда по Имени Солнце.opus|OggOpus|Кино, Звезда по Имени Солнце|Кино|3||\n"
        "坂本龍一/01 - 坂本龍一 - 戦場のメリークリスマス.m4a|MP4|坂本龍一, 戦場のメリークリスマス|坂本龍一|1/2||\n"
        "坂本龍一/02 - 坂本龍一 - 東風.m4a|MP4|坂本龍一, 東風|坂本龍一|2/2||\n";
    EXPECT_EQ(out, expectedTags);
}

} // namespace
