// organize --dry-run: the plan agrees with what the run then does, and nothing is written.
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/tone_files.h"

#include "catalog/text/codepage.h"
#include "formats/format_table.h"
#include "formats/track_read.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using tunvale::testing::CliResult;
using tunvale::testing::haveTool;
using tunvale::testing::listTree;
using tunvale::testing::readFile;
using tunvale::testing::TempDir;
using tunvale::testing::writeFile;

class Preview : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveTool("ffmpeg"))
            GTEST_SKIP() << "ffmpeg is needed to write the audio files";
    }

    CliResult run(std::vector<std::string> arguments)
    {
        return tunvale::testing::runProgram(TUNVALE_CLI_PATH, arguments, {},
                                            {"XDG_STATE_HOME=" + (dir / "state").string()});
    }

    json runJson(std::vector<std::string> arguments, int status = 0)
    {
        arguments.push_back("--json");
        const CliResult r = run(arguments);
        EXPECT_EQ(r.status, status) << r.err;
        json report = json::parse(r.out, nullptr, false);
        EXPECT_FALSE(report.is_discarded()) << r.out;
        return report;
    }

    // Three spellings of one artist, a lone file, two files without an artist, a WAV to convert.
    void makeLibrary()
    {
        using tunvale::testing::makeTaggedMp3;
        ASSERT_TRUE(makeTaggedMp3(dir / "src/beatles/help.mp3", "The Beatles", "Help", 1));
        ASSERT_TRUE(makeTaggedMp3(dir / "src/beatles/yesterday.mp3", "Beatles", "Yesterday", 2));
        ASSERT_TRUE(makeTaggedMp3(dir / "src/other/ticket.mp3", "the beatles", "Ticket to Ride", 7));
        ASSERT_TRUE(makeTaggedMp3(dir / "src/Madonna - Frozen.mp3", "Madonna", "Frozen", 3));
        ASSERT_TRUE(tunvale::testing::makeTaggedWav(dir / "src/wav/Madonna - Vogue.wav", "Madonna", "Vogue", 0.2));
        ASSERT_TRUE(makeTaggedMp3(dir / "src/lone.mp3", "Zed", "\xC5\x81\xC4\x85ka", 1));   // Łąka
        ASSERT_TRUE(makeTaggedMp3(dir / "src/noartist/first.mp3", "", "", 0));
        ASSERT_TRUE(makeTaggedMp3(dir / "src/noartist/second.mp3", "", "", 0));
    }

    TempDir dir;
};

// The tags of a file as its reader finds them.
std::map<std::string, std::string> tagsOf(const fs::path &path)
{
    const tunvale::formats::FormatRow *format = tunvale::formats::formatOfExtension(path.extension().u16string());
    if (format == nullptr)
        return {};
    tunvale::formats::TrackRead read;
    tunvale::catalog::LoadOptions options;
    options.tagsFromName = false;
    if (!format->read(path, options, read).ok())
        return {};
    const auto number = [](std::int32_t n) { return n > 0 ? std::to_string(n) : std::string(); };
    return {{"title", std::string(read.tags.Title.view())},
            {"artist", std::string(read.tags.Artist.view())},
            {"track", number(read.tags.Track)},
            {"total", number(read.tags.TrackTotal)}};
}

std::vector<std::string> sorted(std::vector<std::string> items)
{
    std::sort(items.begin(), items.end());
    return items;
}

// Checks that the run's report did what the preview said: the same files made, each with the
// tag values the preview announced.
void expectAgreement(const json &plan, const json &report)
{
    std::vector<std::string> planned;
    for (const json &file : plan["plan"])
        planned.push_back(file["destination"]);
    std::vector<std::string> created;
    for (const json &file : report["created_files"])
        created.push_back(file);
    EXPECT_EQ(sorted(planned), sorted(created));
    EXPECT_EQ(plan["summary"], report["summary"]);
    EXPECT_EQ(plan["skipped"], report["skipped"]);
    for (const json &file : plan["plan"]) {
        const std::string destination = file["destination"];
        const std::map<std::string, std::string> tags = tagsOf(destination);
        ASSERT_FALSE(tags.empty()) << destination;
        for (const auto &[field, change] : file["tags"].items()) {
            if (field == "pictures")
                continue;
            EXPECT_EQ(tags.at(field), change[1].get<std::string>()) << destination << " " << field;
        }
    }
}

TEST_F(Preview, TheRunDoesWhatThePreviewSaid)
{
    makeLibrary();
    const std::string src = (dir / "src").string();
    struct Case {
        std::string name;
        std::vector<std::string> options;
        std::string mark;   // a mark the plan must hold for the file placed where a file stands
    };
    const std::vector<Case> cases = {
        {"numbered", {"--convert"}, "numbered"},
        {"replace", {"--replace"}, "replace"},
        {"plain", {"--plain", "--convert"}, "numbered"},
        {"by-album", {"--by", "album", "--no-similitudes"}, "numbered"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dst = (dir / ("dst-" + c.name)).string();
        std::vector<std::string> arguments = {"organize", "-n", src, dst};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const json first = runJson(arguments);
        ASSERT_FALSE(first["plan"].empty());
        EXPECT_FALSE(fs::exists(dst));

        // A file of the destination takes the name the first planned file wants.
        const std::string taken = first["plan"][0]["destination"];
        writeFile(taken, "already here");
        const json plan = runJson(arguments);
        EXPECT_EQ(plan["plan"][0]["action"], c.mark) << plan["plan"][0].dump();
        if (c.mark == "numbered")
            EXPECT_NE(plan["plan"][0]["destination"], taken);
        else
            EXPECT_EQ(plan["plan"][0]["destination"], taken);

        arguments.erase(arguments.begin() + 1);
        const json report = runJson(arguments);
        expectAgreement(plan, report);
        EXPECT_EQ(plan["files_copied"], report["files_copied"]);
        EXPECT_EQ(plan["folders_used"], report["folders_used"]);
    }
}

TEST_F(Preview, PlanShowsMergesUndefinedMiscellaneousConversionsAndTags)
{
    makeLibrary();
    const json plan = runJson({"organize", "-n", (dir / "src").string(), (dir / "dst").string(), "--convert"});
    std::map<std::string, std::vector<json>> byFolder;
    for (const json &file : plan["plan"])
        byFolder[fs::path(file["folder"].get<std::string>()).filename().string()].push_back(file);
    ASSERT_EQ(byFolder.count("The Beatles"), 1u) << plan.dump(1);
    EXPECT_EQ(byFolder["The Beatles"].size(), 3u);
    EXPECT_FALSE(byFolder["The Beatles"][0]["merged_from"].empty());
    ASSERT_EQ(byFolder.count("Undefined"), 1u) << plan.dump(1);
    EXPECT_EQ(byFolder["Undefined"].size(), 2u);
    // Files of the Undefined folder keep their tags.
    EXPECT_EQ(byFolder["Undefined"][0]["tags"], json::object());
    ASSERT_EQ(byFolder["Miscellaneous"].size(), 1u);
    // A tag change shows the text as the file holds it, and as the run will write it.
    const json &lone = byFolder["Miscellaneous"][0];
    ASSERT_TRUE(lone["tags"].contains("title")) << lone.dump();
    EXPECT_EQ(lone["tags"]["title"][0], "\xC5\x81\xC4\x85ka") << lone.dump();
    EXPECT_EQ(lone["tags"]["title"][1], "Zed, \xC5\x81\xC4\x85ka") << lone.dump();
    bool converted = false;
    for (const json &file : byFolder["Madonna"]) {
        if (file["action"] == "convert") {
            converted = true;
            EXPECT_EQ(fs::path(file["destination"].get<std::string>()).extension(), ".mp3");
            EXPECT_EQ(fs::path(file["source"].get<std::string>()).extension(), ".wav");
        }
    }
    EXPECT_TRUE(converted);
    // Renumbered: each file of a folder gets its position and the folder's count.
    const json &help = byFolder["The Beatles"][0];
    ASSERT_TRUE(help["tags"].contains("total")) << help.dump();
    EXPECT_EQ(help["tags"]["total"][1], "3");
    EXPECT_EQ(plan["summary"], "Done: on 8 files, 8 are copied in 4 folders");

    // The same as text: one block per folder, its merged spellings beside its name.
    const CliResult text = run({"organize", "--dry-run", (dir / "src").string(), (dir / "dst").string(), "--convert"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("The Beatles  \u2190 "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("wav/Madonna - Vogue.wav \u2192 "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(".mp3  (convert)\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.lastOutLine(), "Done: on 8 files, 8 are copied in 4 folders");
}

// Every entry below root with its kind, size, permissions, time and bytes.
std::map<std::string, std::string> snapshot(const fs::path &root)
{
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        struct stat info {};
        ::lstat(it->path().c_str(), &info);
        std::string state = std::to_string(info.st_mode) + ":" + std::to_string(info.st_size) + ":"
            + std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
        if (S_ISREG(info.st_mode))
            state += ":" + readFile(it->path());
        entries[it->path().lexically_relative(root).string()] = state;
    }
    return entries;
}

TEST_F(Preview, WritesNothingAnywhere)
{
    makeLibrary();
    writeFile(dir / "src/broken.flac", "not a flac file");
    // An earlier run's destination and journal are there too.
    const std::string src = (dir / "src").string();
    ASSERT_EQ(run({"organize", src, (dir / "dst").string()}).status, 0);
    ASSERT_TRUE(fs::is_directory(dir / "state"));
    const auto before = snapshot(dir.path());
    for (const std::vector<std::string> &options : std::vector<std::vector<std::string>>{
             {}, {"--json"}, {"--replace", "--convert"}, {"--plain"}, {"--no-group-isolated", "--json"}}) {
        for (const std::string &dst : {(dir / "dst").string(), (dir / "new/deeper").string()}) {
            std::vector<std::string> arguments = {"organize", "-n", src, dst};
            arguments.insert(arguments.end(), options.begin(), options.end());
            const CliResult r = run(arguments);
            EXPECT_EQ(r.status, 0) << r.err;
        }
    }
    EXPECT_EQ(snapshot(dir.path()), before);
}

TEST_F(Preview, RefusesLikeTheRun)
{
    writeFile(dir / "src/notes.txt", "not audio");
    const CliResult r = run({"organize", "-n", (dir / "src").string(), (dir / "dst").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Sorry, found no audio files that could be sorted!\n");
    EXPECT_FALSE(fs::exists(dir / "dst"));
}

} // namespace

namespace {

TEST_F(Preview, PlainOnlyCopiesIntoFolders)
{
    makeLibrary();
    const json report = runJson({"organize", (dir / "src").string(), (dir / "dst").string(), "--plain"});
    ASSERT_EQ(report["created_files"].size(), 8u) << report.dump(1);
    for (const json &file : report["created_files"]) {
        const fs::path made = file.get<std::string>();
        // The one source of that name, found anywhere below src.
        fs::path source;
        for (const auto &entry : fs::recursive_directory_iterator(dir / "src")) {
            if (entry.path().filename() == made.filename())
                source = entry.path();
        }
        ASSERT_FALSE(source.empty()) << made << " is not a source's name";
        EXPECT_EQ(tagsOf(made), tagsOf(source)) << made;
    }
}

} // namespace
