// tunvale-cli organize on a library of names in many scripts, made by independent tools:
// MP3 and WAV by ffmpeg (ID3v2.4 in UTF-8, INFO in UTF-8), MP3 retagged by mutagen (ID3v2.3 in
// UTF-16), FLAC by flac and metaflac (Vorbis comments). The folders carry the names in their
// own script, spellings of one name share a folder, and mutagen reads every copy's tags back
// whole: plain copies, rewritten copies and converted copies.
#include "support/audio_tools.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using tunvale::testing::CliResult;
using tunvale::testing::TempDir;
using tunvale::testing::ffprobeTags;
using tunvale::testing::haveFfprobe;
using tunvale::testing::haveMutagen;
using tunvale::testing::haveTool;
using tunvale::testing::listTree;
using tunvale::testing::runProgram;
using tunvale::testing::runPython;

// One source file: the file name (its extension says the format and the tool), then the tags.
// Files are read in name order, so the first of each group names its folder.
struct Source {
    const char *file;
    const char *artist;
    const char *title;
    const char *album;
};

const Source kSources[] = {
    {"01.mp3", "Кино", "Группа крови", "Группа крови"},
    {"02.flac", "КИНО", "Кукушка", "Последний герой"},
    {"03.v23.mp3", "кино", "Звезда по имени Солнце", "Звезда по имени Солнце"},
    {"04.mp3", "Björk", "Jóga", "Homogenic"},
    {"05.v23.mp3", "Bjork", "Hyperballad", "Post"},
    {"06.flac", "Łona i Webber", "Rozmowa", "Nawiasem mówiąc"},
    {"07.wav", "Lona i Webber", "Nie pytaj o Polskę", "Cztery i pół"},
    {"08.mp3", "坂本龍一", "戦場のメリークリスマス", "Coda"},
    {"09.flac", "坂本 龍一", "千のナイフ", "千のナイフ"},
    {"10.v23.mp3", "Μίκης Θεοδωράκης", "Ζορμπάς", "Ζορμπάς ο Έλληνας"},
    {"11.wav", "Μίκης Θεοδωράκης", "Άρνηση", "Επιφάνεια"},
    {"12.mp3", "فيروز", "نسم علينا الهوى", "فيروز"},
    {"13.flac", "فيروز", "كيفك إنت", "كيفك إنت"},
    {"14.v23.mp3", "עידן רייכל", "ממעמקים", "ממעמקים"},
    {"15.flac", "עידן רייכל", "בואי", "הפרויקט של עידן רייכל"},
    {"16.mp3", "방탄소년단", "봄날", "You Never Walk Alone"},
    {"17.wav", "방탄소년단", "피 땀 눈물", "WINGS"},
};

// Makes each file of the table: argv is the folder, then file|artist|title|album per file.
constexpr const char *kMakeLibrary = R"(
import os, subprocess, sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB
root = sys.argv[1]
def run(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
tone = ['-f', 'lavfi', '-i', 'sine=frequency=440:duration=1', '-ac', '2', '-ar', '44100']
for line in sys.argv[2:]:
    name, artist, title, album = line.split('|')
    path = os.path.join(root, name)
    meta = ['-metadata', 'artist=' + artist, '-metadata', 'title=' + title, '-metadata', 'album=' + album]
    if name.endswith('.v23.mp3'):
        run('ffmpeg', '-y', *tone, '-c:a', 'libmp3lame', '-write_xing', '0', '-id3v2_version', '0', path)
        tags = ID3()
        tags.add(TPE1(encoding=1, text=artist))
        tags.add(TIT2(encoding=1, text=title))
        tags.add(TALB(encoding=1, text=album))
        tags.save(path, v2_version=3)
    elif name.endswith('.mp3'):
        run('ffmpeg', '-y', *tone, '-c:a', 'libmp3lame', *meta, path)
    elif name.endswith('.wav'):
        run('ffmpeg', '-y', *tone, '-c:a', 'pcm_s16le', *meta, path)
    else:
        wav = path + '.tmp.wav'
        run('ffmpeg', '-y', *tone, '-c:a', 'pcm_s16le', wav)
        run('flac', '--silent', '-f', '-o', path, wav)
        os.remove(wav)
        run('metaflac', '--set-tag=ARTIST=' + artist, '--set-tag=TITLE=' + title,
            '--set-tag=ALBUM=' + album, path)
)";

// Prints "relative path|artist|title|album" for every file below the folder given, as mutagen
// reads them (empty for a missing field).
constexpr const char *kDumpTags = R"(
import glob, os, sys, mutagen
root = sys.argv[1]
for f in sorted(glob.glob(os.path.join(root, '**', '*.*'), recursive=True)):
    m = mutagen.File(f)
    tags = (m.tags if m is not None else None) or {}
    def first(*keys):
        for k in keys:
            if k in tags:
                v = tags[k]
                v = v.text if hasattr(v, 'text') else v
                return str(v[0] if isinstance(v, list) else v)
        return ''
    print('|'.join([os.path.relpath(f, root), first('TPE1', 'artist'), first('TIT2', 'title'),
                    first('TALB', 'album')]))
)";

// Each argument in Python's full case folding, one a line.
constexpr const char *kCaseFold = R"(
import sys
for text in sys.argv[1:]:
    print(text.casefold())
)";

struct Copy {
    std::string path;
    std::string artist;
    std::string title;
    std::string album;
    std::string foldedArtist;
    std::string foldedTitle;
};

bool endsWith(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<std::string> caseFolded(const std::vector<std::string> &texts)
{
    std::string output;
    EXPECT_EQ(runPython(kCaseFold, texts, &output), 0);
    std::vector<std::string> folded;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        folded.push_back(line);
    EXPECT_EQ(folded.size(), texts.size());
    folded.resize(texts.size());
    return folded;
}

std::vector<Copy> readCopies(const std::filesystem::path &folder)
{
    std::string output;
    EXPECT_EQ(runPython(kDumpTags, {folder.string()}, &output), 0);
    std::vector<Copy> copies;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
            fields.push_back(line.substr(start, bar - start));
        fields.push_back(line.substr(start));
        if (fields.size() != 4)
            continue;
        Copy copy{fields[0], fields[1], fields[2], fields[3], {}, {}};
        // mutagen reads only the ID3 chunk of a WAV file; ffprobe reads its INFO list too.
        if (endsWith(copy.path, ".wav")) {
            std::map<std::string, std::string> tags = ffprobeTags(folder / copy.path);
            copy.artist = tags["artist"];
            copy.title = tags["title"];
            copy.album = tags["album"];
        }
        copies.push_back(copy);
    }
    std::vector<std::string> texts;
    for (const Copy &copy : copies) {
        texts.push_back(copy.artist);
        texts.push_back(copy.title);
    }
    const std::vector<std::string> folded = caseFolded(texts);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        copies[i].foldedArtist = folded[2 * i];
        copies[i].foldedTitle = folded[2 * i + 1];
    }
    return copies;
}

struct FoldedSource {
    const Source *source;
    std::string artist;
    std::string title;
};

std::vector<FoldedSource> foldedSources()
{
    std::vector<std::string> texts;
    for (const Source &source : kSources) {
        texts.push_back(source.artist);
        texts.push_back(source.title);
    }
    const std::vector<std::string> folded = caseFolded(texts);
    std::vector<FoldedSource> sources;
    for (std::size_t i = 0; i < std::size(kSources); ++i)
        sources.push_back({&kSources[i], folded[2 * i], folded[2 * i + 1]});
    return sources;
}

// The source whose title ends the copy's title, ignoring case (a rewritten title is in title
// case and may have the artist in front).
const FoldedSource *sourceOf(const Copy &copy, const std::vector<FoldedSource> &sources)
{
    for (const FoldedSource &source : sources) {
        if (endsWith(copy.foldedTitle, source.title))
            return &source;
    }
    return nullptr;
}

class UnicodeNamesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *tool : {"ffmpeg", "flac", "metaflac"}) {
            if (!haveTool(tool))
                GTEST_SKIP() << tool << " is needed to make the library";
        }
        if (!haveMutagen() || !haveFfprobe())
            GTEST_SKIP() << "mutagen and ffprobe are needed to tag and read the library";
        std::vector<std::string> arguments{(m_dir / "source").string()};
        for (const Source &source : kSources)
            arguments.push_back(std::string(source.file) + "|" + source.artist + "|" + source.title + "|" + source.album);
        std::filesystem::create_directories(m_dir / "source");
        ASSERT_EQ(runPython(kMakeLibrary, arguments), 0);
    }

    CliResult organize(const std::string &destination, std::vector<std::string> options)
    {
        std::vector<std::string> arguments{"organize", (m_dir / "source").string(), (m_dir / destination).string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return runProgram(TUNVALE_CLI_PATH, arguments, {}, {"XDG_STATE_HOME=" + (m_dir / "state").string()});
    }

    TempDir m_dir;
};

TEST_F(UnicodeNamesEndToEnd, FoldersInTheirOwnScriptAndTagsReadBackWhole)
{
    // Plain copies: no tag is rewritten.
    const CliResult plain = organize("plain", {"--no-rename", "--no-artist-in-title", "--no-composer-in-title",
                                               "--no-renumber", "--no-tags-from-name"});
    ASSERT_EQ(plain.status, 0) << plain.out << plain.err;

    // Every spelling of a name in one folder, named as its first file spells it.
    std::map<std::string, int> folders;
    for (const std::string &entry : listTree(m_dir / "plain")) {
        const std::size_t slash = entry.find('/');
        if (slash != std::string::npos && slash + 1 < entry.size())
            ++folders[entry.substr(0, slash)];
    }
    const std::map<std::string, int> expected = {
        {"Кино", 3},       {"Björk", 2},      {"Łona i Webber", 2}, {"坂本龍一", 2},
        {"Μίκης Θεοδωράκης", 2}, {"فيروز", 2}, {"עידן רייכל", 2},    {"방탄소년단", 2},
    };
    EXPECT_EQ(folders, expected) << plain.out;

    const std::vector<FoldedSource> sources = foldedSources();
    const std::vector<Copy> plainCopies = readCopies(m_dir / "plain");
    EXPECT_EQ(plainCopies.size(), std::size(kSources));
    for (const Copy &copy : plainCopies) {
        const FoldedSource *folded = sourceOf(copy, sources);
        ASSERT_NE(folded, nullptr) << copy.path << ": " << copy.title;
        const Source *source = folded->source;
        EXPECT_EQ(copy.artist, source->artist) << copy.path;
        EXPECT_EQ(copy.title, source->title) << copy.path;
        EXPECT_EQ(copy.album, source->album) << copy.path;
    }

    // Rewritten copies: new names, the artist put in front of the title, tracks renumbered.
    const CliResult rewritten = organize("rewritten", {});
    ASSERT_EQ(rewritten.status, 0) << rewritten.out << rewritten.err;
    const std::vector<Copy> rewrittenCopies = readCopies(m_dir / "rewritten");
    EXPECT_EQ(rewrittenCopies.size(), std::size(kSources));
    for (const Copy &copy : rewrittenCopies) {
        const FoldedSource *folded = sourceOf(copy, sources);
        ASSERT_NE(folded, nullptr) << copy.path << ": " << copy.title;
        EXPECT_EQ(copy.path.find('?'), std::string::npos) << copy.path;
        EXPECT_EQ(copy.title.find('?'), std::string::npos) << copy.path << ": " << copy.title;
        // The title, or the artist's name (as its folder spells it) and the title.
        EXPECT_TRUE(copy.foldedTitle == folded->title || copy.foldedTitle == folded->artist + ", " + folded->title ||
                    endsWith(copy.foldedTitle, ", " + folded->title))
            << copy.title;
        EXPECT_EQ(copy.foldedArtist, folded->artist) << copy.path << ": " << copy.artist;
        EXPECT_EQ(copy.album, folded->source->album) << copy.path;
    }

    // Converted copies: FLAC and WAV become MP3 with an ID3v2.3 tag of their own.
    const CliResult converted = organize("converted", {"--convert", "--no-artist-in-title", "--no-composer-in-title"});
    ASSERT_EQ(converted.status, 0) << converted.out << converted.err;
    const std::vector<Copy> convertedCopies = readCopies(m_dir / "converted");
    EXPECT_EQ(convertedCopies.size(), std::size(kSources));
    for (const Copy &copy : convertedCopies) {
        EXPECT_EQ(copy.path.substr(copy.path.size() - 4), ".mp3") << copy.path;
        const FoldedSource *folded = sourceOf(copy, sources);
        ASSERT_NE(folded, nullptr) << copy.path << ": " << copy.title;
        // Title case is the one rewrite renaming asks of the title here ("Группа Крови"); the
        // artist's first letter is put in upper case ("кино" becomes "Кино").
        EXPECT_EQ(copy.foldedTitle, folded->title) << copy.path << ": " << copy.title;
        EXPECT_EQ(copy.title.find('?'), std::string::npos) << copy.path << ": " << copy.title;
        EXPECT_EQ(copy.foldedArtist, folded->artist) << copy.path << ": " << copy.artist;
        EXPECT_EQ(copy.album, folded->source->album) << copy.path;
    }
}

} // namespace
