// tunvale-cli organize on real tagged MP3 files: the tree, the names, the tags written into
// the copies (read back by mutagen) and the sources left byte for byte as they were.
#include "support/audio_tools.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tunvale::testing::haveMutagen;
using tunvale::testing::haveTool;
using tunvale::testing::listTree;
using tunvale::testing::mp3valReport;
using tunvale::testing::readFile;
using tunvale::testing::runCommand;
using tunvale::testing::runProgram;
using tunvale::testing::runPython;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

const fs::path kCli = fs::path(TUNVALE_BINARY_DIR) / "cli" / "tunvale-cli";

std::string quote(const std::string &text)
{
    return tunvale::testing::shellQuote(text);
}

// Writes the files of a JSON list on copies of one encoded MP3: "tag" is v23, v24, v1 or
// none; "picture" adds a front cover.
const char *const kMakeFiles = R"PY(
import json, os, shutil, sys
from mutagen.id3 import ID3, TIT2, TPE1, TRCK, TCOM, APIC
base, root, layout = sys.argv[1], sys.argv[2], json.load(open(sys.argv[3]))
for item in layout:
    path = os.path.join(root, item["path"])
    os.makedirs(os.path.dirname(path), exist_ok=True)
    shutil.copyfile(base, path)
    kind = item.get("tag", "v23")
    if kind == "none":
        continue
    if kind == "v1":
        def field(text, size):
            return text.encode("latin-1")[:size].ljust(size, b"\0")
        block = b"TAG" + field(item["title"], 30) + field(item["artist"], 30) + field("", 30) + field("", 4)
        block += field("", 28) + b"\0" + bytes([int(item.get("track", 0))]) + b"\xff"
        with open(path, "ab") as f:
            f.write(block)
        continue
    tags = ID3()
    tags.add(TIT2(encoding=1, text=item["title"]))
    tags.add(TPE1(encoding=1, text=item["artist"]))
    if "track" in item:
        tags.add(TRCK(encoding=0, text=item["track"]))
    if "composer" in item:
        tags.add(TCOM(encoding=1, text=item["composer"]))
    if item.get("picture"):
        tags.add(APIC(encoding=0, mime="image/png", type=3, desc="cover", data=b"\x89PNG\r\n\x1a\n" + b"\0" * 200))
    tags.save(path, v2_version=3 if kind == "v23" else 4)
)PY";

// Prints one line per MP3 below a folder: relative path, ID3v2 version, TIT2, TPE1, TRCK and
// the number of pictures, separated by '|'; "-" for a file without an ID3v2 tag.
const char *const kDumpTags = R"PY(
import os, sys
from mutagen.id3 import ID3, ID3NoHeaderError
root = sys.argv[1]
for folder, _, names in sorted(os.walk(root)):
    for name in sorted(names):
        path = os.path.join(folder, name)
        rel = os.path.relpath(path, root)
        try:
            tags = ID3(path)
        except ID3NoHeaderError:
            print(rel + "|-")
            continue
        text = lambda key: str(tags[key].text[0]) if key in tags else ""
        print("|".join([rel, "2.%d" % tags.version[1], text("TIT2"), text("TPE1"), text("TRCK"),
                        str(len(tags.getall("APIC")))]))
)PY";

class OrganizeEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(kCli))
            GTEST_SKIP() << "build tunvale-cli first: " << kCli;
        if (!haveTool("sox") || !haveTool("lame") || !haveMutagen())
            GTEST_SKIP() << "sox, lame and mutagen for /usr/bin/python3 are needed to make the files";
        const std::string encode = "sox -n -r 44100 -c 1 " + quote((dir / "base.wav").string()) + " synth 0.3 sine 440 && lame --quiet -b 64 "
            + quote((dir / "base.wav").string()) + " " + quote((dir / "base.mp3").string());
        ASSERT_EQ(runCommand(encode), 0) << encode;
    }

    void makeFiles(const std::string &json)
    {
        writeFile(dir / "layout.json", json);
        const std::vector<std::string> arguments = {(dir / "base.mp3").string(), (dir / "src").string(),
                                                    (dir / "layout.json").string()};
        ASSERT_EQ(runPython(kMakeFiles, arguments), 0);
    }

    std::vector<std::string> dumpTags(const fs::path &root)
    {
        std::string out;
        EXPECT_EQ(runPython(kDumpTags, {root.string()}, &out), 0);
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < out.size()) {
            const std::size_t end = out.find('\n', start);
            lines.push_back(out.substr(start, end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        return lines;
    }

    int organize(const std::vector<std::string> &options, std::string *out)
    {
        std::vector<std::string> arguments = {"organize", (dir / "src").string(), (dir / "dst").string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        // Run journals go to a folder of the test, not to the user's state folder.
        const tunvale::testing::CliResult result =
            runProgram(kCli, arguments, {}, {"XDG_STATE_HOME=" + (dir / "state").string()});
        *out = result.out;
        return result.status;
    }

    std::map<std::string, std::string> sourceBytes()
    {
        std::map<std::string, std::string> bytes;
        for (const auto &entry : fs::recursive_directory_iterator(dir / "src")) {
            if (entry.is_regular_file())
                bytes[fs::relative(entry.path(), dir / "src").string()] = readFile(entry.path());
        }
        return bytes;
    }

    TempDir dir;
};

const char *const kLibrary = R"([
  {"path": "- untitled.mp3", "tag": "none"},
  {"path": "pf/a.mp3", "tag": "v23", "artist": "Pink Floyd", "title": "Money", "track": "3", "picture": true},
  {"path": "pf/b.mp3", "tag": "v24", "artist": "PINK FLOYD", "title": "Time", "track": "4"},
  {"path": "pf/c.mp3", "tag": "v23", "artist": "pink floyd", "title": "Pink Floyd - Us and Them", "track": "7"},
  {"path": "solo/y.mp3", "tag": "v1", "artist": "Yma Sumac", "title": "Gopher", "track": 2},
  {"path": "solo/z.mp3", "tag": "v24", "artist": "Zed", "title": "Lone Song", "picture": true},
  {"path": "untitled.mp3", "tag": "none"}
])";

TEST_F(OrganizeEndToEnd, DefaultOptions)
{
    makeFiles(kLibrary);
    std::string out;
    ASSERT_EQ(organize({}, &out), 0) << out;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    EXPECT_EQ(out.substr(out.rfind('\n') + 1), "Done: on 7 files, 7 are copied in 3 folders");

    // Spellings of one artist share a folder (intake title-cases the artist key and the title,
    // so "PINK FLOYD" is named "Pink Floyd" and "Us" becomes "us"); the repeated artist words
    // leave the title part; the two lone files are gathered and renumbered; the untagged files
    // keep their own names, trimmed, the second one numbered.
    EXPECT_EQ(listTree(dir / "dst"), (std::vector<std::string>{
                                         "Miscellaneous/",
                                         "Miscellaneous/01 - Yma Sumac - Gopher.mp3",
                                         "Miscellaneous/02 - Zed - Lone Song.mp3",
                                         "Pink Floyd/",
                                         "Pink Floyd/01 - Pink Floyd - Money.mp3",
                                         "Pink Floyd/02 - Pink Floyd - Time.mp3",
                                         "Pink Floyd/03 - Pink Floyd - us and Them.mp3",
                                         "Undefined/",
                                         "Undefined/Untitled(1).mp3",
                                         "Undefined/Untitled.mp3",
                                     }));

    // Titles with the artist in front unless present, artists, folder track numbers; the
    // Undefined copies are untouched.
    EXPECT_EQ(dumpTags(dir / "dst"), (std::vector<std::string>{
                                         "Miscellaneous/01 - Yma Sumac - Gopher.mp3|2.3|Yma Sumac, Gopher|Yma Sumac|1|0",
                                         "Miscellaneous/02 - Zed - Lone Song.mp3|2.3|Zed, Lone Song|Zed|2|1",
                                         "Pink Floyd/01 - Pink Floyd - Money.mp3|2.3|Pink Floyd, Money|Pink Floyd|1/3|1",
                                         "Pink Floyd/02 - Pink Floyd - Time.mp3|2.3|Pink Floyd, Time|Pink Floyd|2/3|0",
                                         "Pink Floyd/03 - Pink Floyd - us and Them.mp3|2.3|Pink Floyd - us and Them|Pink Floyd|3/3|0",
                                         "Undefined/Untitled(1).mp3|-",
                                         "Undefined/Untitled.mp3|-",
                                     }));
    EXPECT_EQ(readFile(dir / "dst" / "Undefined" / "Untitled.mp3"), readFile(dir / "src" / "- untitled.mp3"));
    EXPECT_EQ(readFile(dir / "dst" / "Undefined" / "Untitled(1).mp3"), readFile(dir / "src" / "untitled.mp3"));
    if (haveTool("mp3val")) {
        const std::string report = mp3valReport(dir / "dst" / "Pink Floyd" / "01 - Pink Floyd - Money.mp3");
        EXPECT_EQ(report.find("WARNING"), std::string::npos) << report;
    }
}

TEST_F(OrganizeEndToEnd, SourcesAreNeverWritten)
{
    makeFiles(kLibrary);
    const auto before = sourceBytes();
    ASSERT_EQ(before.size(), 7u);
    std::string out;
    ASSERT_EQ(organize({"--remove-pictures", "--step", "10", "--tags-from-name", "--artist-in-title", "--composer-in-title",
                        "--renumber", "--rename"},
                       &out),
              0)
        << out;
    EXPECT_TRUE(sourceBytes() == before);
    // Every copy lost its pictures (the Undefined ones had none); the sources keep theirs.
    for (const std::string &line : dumpTags(dir / "dst"))
        EXPECT_TRUE(line.back() == '0' || line.back() == '-') << line;
    const std::vector<std::string> sourceTags = dumpTags(dir / "src");
    EXPECT_NE(std::find(sourceTags.begin(), sourceTags.end(), "pf/a.mp3|2.3|Money|Pink Floyd|3|1"), sourceTags.end());
    // Step 10: three-digit numbers in names and tags.
    EXPECT_TRUE(fs::exists(dir / "dst" / "Pink Floyd" / "030 - Pink Floyd - us and Them.mp3"));
    EXPECT_TRUE(fs::exists(dir / "dst" / "Miscellaneous" / "020 - Zed - Lone Song.mp3"));

    // A second run into the same tree: every name is taken, so every copy is numbered.
    ASSERT_EQ(organize({"--remove-pictures"}, &out), 0) << out;
    EXPECT_TRUE(sourceBytes() == before);
    EXPECT_TRUE(fs::exists(dir / "dst" / "Undefined" / "Untitled(2).mp3"));
}

} // namespace
