// tunvale-cli organize on a library of all seven formats (MP3, FLAC, WAV, AIFF, Ogg Vorbis,
// Opus, M4A with AAC and with ALAC), made by ffmpeg, sox, lame and flac and tagged by mutagen:
// the tree the default options give, then what mutagen and ffprobe read back from the Ogg,
// Opus and M4A copies: the rewritten fields are what the options ask, every other field and
// the audio stream are as in the source.
#include "support/audio_tools.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tunvale::testing::CliResult;
using tunvale::testing::TempDir;

// Makes the library in argv[1] (a work folder in argv[2]).
constexpr const char *kMakeLibrary = R"(
import base64, os, shutil, subprocess, sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK
from mutagen.flac import FLAC, Picture
from mutagen.aiff import AIFF
from mutagen.oggvorbis import OggVorbis
from mutagen.oggopus import OggOpus
from mutagen.mp4 import MP4, MP4Cover

out, tmp = sys.argv[1], sys.argv[2]
def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
run('sox', '-q', '-n', '-r', '44100', '-c', '2', '-b', '16', tmp + '/tone.wav', 'synth', '0.5', 'sine', '440', 'vol', '0.3')
run('lame', '--quiet', '-b', '128', tmp + '/tone.wav', tmp + '/tone.mp3')
run('flac', '--silent', '-f', '-o', tmp + '/tone.flac', tmp + '/tone.wav')
run('sox', '-q', tmp + '/tone.wav', tmp + '/tone.aiff')
def ff(codec, path, *extra):
    run('ffmpeg', '-loglevel', 'error', '-y', '-i', tmp + '/tone.wav', '-map_metadata', '-1', '-c:a', codec, *extra, path)
ff('libvorbis', tmp + '/tone.ogg')
ff('libopus', tmp + '/tone.opus')
ff('aac', tmp + '/aac.m4a')
ff('alac', tmp + '/alac.m4a', '-movflags', '+faststart')
run('ffmpeg', '-loglevel', 'error', '-y', '-f', 'lavfi', '-i', 'testsrc=size=64x48:rate=5:duration=0.4',
    '-i', tmp + '/tone.wav', '-c:v', 'mpeg4', '-c:a', 'aac', '-shortest', tmp + '/clip.mp4')

def place(base, rel):
    path = os.path.join(out, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    shutil.copy(os.path.join(tmp, base), path)
    return path

png = base64.b64decode('iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==')
def picture():
    p = Picture(); p.type = 3; p.mime = 'image/png'; p.width = p.height = 1; p.depth = 32; p.data = png
    return base64.b64encode(p.write()).decode('ascii')

t = ID3(); t.add(TIT2(encoding=3, text='River')); t.add(TPE1(encoding=3, text='Nina Vale'))
t.add(TALB(encoding=3, text='Currents')); t.add(TRCK(encoding=3, text='5'))
t.save(place('tone.mp3', 'mp3/river.mp3'), v2_version=3)

f = FLAC(place('tone.flac', 'lossless/stone.flac'))
f['TITLE'] = 'Stone'; f['ARTIST'] = 'Nina Vale'; f['TRACKNUMBER'] = '2'; f.save()

o = OggVorbis(place('tone.ogg', 'ogg/lights.ogg'))
o['TITLE'] = 'Lights'; o['ARTIST'] = 'Nina Vale'; o['ALBUM'] = 'Currents'; o['GENRE'] = 'Folk'
o['DATE'] = '2011'; o['TRACKNUMBER'] = '1'; o['REPLAYGAIN_TRACK_GAIN'] = '-4.20 dB'
o['METADATA_BLOCK_PICTURE'] = picture(); o.save()

m = MP4(place('aac.m4a', 'm4a/echo.m4a'))
m['\xa9nam'] = 'Echo'; m['\xa9ART'] = 'Nina Vale'; m['\xa9alb'] = 'Currents'; m['\xa9gen'] = 'Folk'
m['\xa9day'] = '2011'; m['trkn'] = [(3, 0)]; m['\xa9cmt'] = 'first pressing'
m['covr'] = [MP4Cover(png, imageformat=MP4Cover.FORMAT_PNG)]; m.save()

p = OggOpus(place('tone.opus', 'opus/dawn.opus'))
p['TITLE'] = 'Dawn'; p['ARTIST'] = 'Ostara Quartet'; p['ALBUM'] = 'Seasons'; p['TRACKNUMBER'] = '4'
p['R128_TRACK_GAIN'] = '-512'; p['METADATA_BLOCK_PICTURE'] = picture(); p.save()

m = MP4(place('alac.m4a', 'm4a/lossless/tide.m4a'))
m['\xa9nam'] = 'Tide'; m['\xa9ART'] = 'Ostara Quartet'; m['\xa9alb'] = 'Seasons'; m['\xa9wrt'] = 'Ida Brann'
m['disk'] = [(1, 2)]; m['covr'] = [MP4Cover(png, imageformat=MP4Cover.FORMAT_PNG)]; m.save()

place('tone.wav', 'lossless/Ostara Quartet - Hall.wav')
a = AIFF(place('tone.aiff', 'lossless/bells.aiff')); a.add_tags()
a.tags.add(TIT2(encoding=3, text='Bells')); a.tags.add(TPE1(encoding=3, text='Ostara Quartet')); a.save()

z = OggVorbis(place('tone.ogg', 'ogg/alone.oga'))
z['TITLE'] = 'Alone'; z['ARTIST'] = 'Zed Marlow'; z.save()

c = MP4(place('clip.mp4', 'video/clip.mp4'))
c['\xa9nam'] = 'Clip'; c['\xa9ART'] = 'Nina Vale'; c.save()
)";

std::vector<std::string> difference(const std::vector<std::string> &a, const std::vector<std::string> &b)
{
    const std::multiset<std::string> left(a.begin(), a.end());
    const std::multiset<std::string> right(b.begin(), b.end());
    std::vector<std::string> out;
    std::set_difference(left.begin(), left.end(), right.begin(), right.end(), std::back_inserter(out));
    return out;
}

std::string fileBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The tag lines that differ between a source and its copy, as mutagen reads them: what the
// copy gained and what it lost.
struct TagChange {
    std::vector<std::string> gained;
    std::vector<std::string> lost;
};

TagChange tagChange(const fs::path &source, const fs::path &copy)
{
    const std::vector<std::string> before = tunvale::testing::mutagenTagLines(source);
    const std::vector<std::string> after = tunvale::testing::mutagenTagLines(copy);
    return {difference(after, before), difference(before, after)};
}

class SevenFormats : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *tool : {"sox", "lame", "flac", "ffmpeg", "ffprobe"}) {
            if (!tunvale::testing::haveTool(tool))
                GTEST_SKIP() << tool << " is needed to make the library";
        }
        if (!tunvale::testing::haveMutagen())
            GTEST_SKIP() << "mutagen is needed to tag the library";
        std::string out;
        ASSERT_EQ(tunvale::testing::runPython(kMakeLibrary, {m_source.string(), m_dir.path().string()}, &out), 0)
            << out;
    }

    CliResult run(std::vector<std::string> arguments)
    {
        return tunvale::testing::runProgram(TUNVALE_CLI_PATH, arguments, {},
                                            {"XDG_STATE_HOME=" + (m_dir / "state").string()});
    }

    CliResult organize(const fs::path &destination, const std::vector<std::string> &options = {})
    {
        std::vector<std::string> arguments{"organize", m_source.string(), destination.string(), "--json"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return run(arguments);
    }

    TempDir m_dir;
    fs::path m_source = m_dir / "library";
};

TEST_F(SevenFormats, DefaultRunSortsEveryFormatByArtistAndRewritesOnlyTitleAndTrack)
{
    const fs::path sorted = m_dir / "sorted";
    const CliResult organized = organize(sorted);
    ASSERT_EQ(organized.status, 0) << organized.out << organized.err;
    const auto report = nlohmann::json::parse(organized.out);
    EXPECT_EQ(report["summary"], "Done: on 9 files, 9 are copied in 3 folders");
    // The .mp4 with a video track is not taken as audio.
    ASSERT_EQ(report["skipped"].size(), 1u) << organized.out;
    EXPECT_NE(report["skipped"][0].dump().find("clip.mp4"), std::string::npos) << organized.out;

    // Each folder is numbered in the order of the sources' paths; the ALAC file's composer
    // joins its title and name.
    const std::vector<std::string> expectedTree = {
        "Miscellaneous/",
        "Miscellaneous/01 - Zed Marlow - Alone.oga",
        "Nina Vale/",
        "Nina Vale/01 - Nina Vale - Stone.flac",
        "Nina Vale/02 - Nina Vale - Echo.m4a",
        "Nina Vale/03 - Nina Vale - River.mp3",
        "Nina Vale/04 - Nina Vale - Lights.ogg",
        "Ostara Quartet/",
        "Ostara Quartet/01 - Ostara Quartet - Bells.aiff",
        "Ostara Quartet/02 - Ostara Quartet - Hall.wav",
        "Ostara Quartet/03 - Ostara Quartet - Ida Brann - Tide.m4a",
        "Ostara Quartet/04 - Ostara Quartet - Dawn.opus",
    };
    EXPECT_EQ(tunvale::testing::listTree(sorted), expectedTree);

    // Of the Ogg, Opus and M4A copies only the title (artist, and composer, in head) and the
    // track number and total changed; the album, genre, gains, composer, disc, comment and
    // pictures stayed, and the audio is the source's, packet for packet.
    struct Copy {
        const char *source;
        const char *copy;
        std::vector<std::string> gained;
        std::vector<std::string> lost;
    };
    const Copy copies[] = {
        {"ogg/lights.ogg",
         "Nina Vale/04 - Nina Vale - Lights.ogg",
         {"TITLE=Nina Vale, Lights", "TRACKNUMBER=4", "TRACKTOTAL=4"},
         {"TITLE=Lights", "TRACKNUMBER=1"}},
        {"m4a/echo.m4a",
         "Nina Vale/02 - Nina Vale - Echo.m4a",
         {"trkn=[(2, 4)]", "\xC2\xA9nam=['Nina Vale, Echo']"},
         {"trkn=[(3, 0)]", "\xC2\xA9nam=['Echo']"}},
        {"opus/dawn.opus",
         "Ostara Quartet/04 - Ostara Quartet - Dawn.opus",
         {"TITLE=Ostara Quartet, Dawn", "TRACKTOTAL=4"},
         {"TITLE=Dawn"}},
        {"m4a/lossless/tide.m4a",
         "Ostara Quartet/03 - Ostara Quartet - Ida Brann - Tide.m4a",
         {"trkn=[(3, 4)]", "\xC2\xA9nam=['Ida Brann, Ostara Quartet, Tide']"},
         {"\xC2\xA9nam=['Tide']"}},
        {"ogg/alone.oga",
         "Miscellaneous/01 - Zed Marlow - Alone.oga",
         {"TITLE=Zed Marlow, Alone", "TRACKNUMBER=1"},
         {"TITLE=Alone"}},
    };
    for (const Copy &c : copies) {
        SCOPED_TRACE(c.copy);
        const TagChange change = tagChange(m_source / c.source, sorted / c.copy);
        std::vector<std::string> gained = c.gained;
        std::vector<std::string> lost = c.lost;
        std::sort(gained.begin(), gained.end());
        std::sort(lost.begin(), lost.end());
        EXPECT_EQ(change.gained, gained);
        EXPECT_EQ(change.lost, lost);
        const std::string md5 = tunvale::testing::audioStreamMd5(m_source / c.source);
        EXPECT_FALSE(md5.empty());
        EXPECT_EQ(tunvale::testing::audioStreamMd5(sorted / c.copy), md5);
        EXPECT_EQ(tunvale::testing::ffprobeSummary(sorted / c.copy),
                  tunvale::testing::ffprobeSummary(m_source / c.source));
    }
    // ffprobe reads the new title and the kept fields too (Ogg keeps them on the stream).
    const auto oggTags = tunvale::testing::ffprobeStreamTags(sorted / "Nina Vale/04 - Nina Vale - Lights.ogg");
    EXPECT_EQ(oggTags.count("title") ? oggTags.at("title") : "", "Nina Vale, Lights");
    EXPECT_EQ(oggTags.count("replaygain_track_gain") ? oggTags.at("replaygain_track_gain") : "", "-4.20 dB");
    const auto m4aTags =
        tunvale::testing::ffprobeTags(sorted / "Ostara Quartet/03 - Ostara Quartet - Ida Brann - Tide.m4a");
    EXPECT_EQ(m4aTags.count("title") ? m4aTags.at("title") : "", "Ida Brann, Ostara Quartet, Tide");
    EXPECT_EQ(m4aTags.count("composer") ? m4aTags.at("composer") : "", "Ida Brann");
    EXPECT_EQ(m4aTags.count("track") ? m4aTags.at("track") : "", "3/4");

    // Undo takes every copy back, whatever its format.
    const CliResult undone = run({"undo"});
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_TRUE(tunvale::testing::listTree(sorted).empty()) << undone.out;
}

TEST_F(SevenFormats, PictureRemovalDropsOnlyThePicturesAndNoRewriteCopiesByteForByte)
{
    const std::vector<std::string> noRewrite = {"--no-rename", "--no-tags-from-name", "--no-artist-in-title",
                                                "--no-composer-in-title", "--no-renumber"};
    std::vector<std::string> removal = noRewrite;
    removal.push_back("--remove-pictures");
    const fs::path bare = m_dir / "bare";
    const fs::path same = m_dir / "same";
    CliResult r = organize(bare, removal);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    r = organize(same, noRewrite);
    ASSERT_EQ(r.status, 0) << r.out << r.err;

    struct Copy {
        const char *source;
        const char *copy;
        const char *picture; // how the line mutagen shows for the picture starts
    };
    const Copy copies[] = {
        {"ogg/lights.ogg", "Nina Vale/lights.ogg", "METADATA_BLOCK_PICTURE=<picture "},
        {"opus/dawn.opus", "Ostara Quartet/dawn.opus", "METADATA_BLOCK_PICTURE=<picture "},
        {"m4a/echo.m4a", "Nina Vale/echo.m4a", "covr="},
        {"m4a/lossless/tide.m4a", "Ostara Quartet/tide.m4a", "covr="},
    };
    for (const Copy &c : copies) {
        SCOPED_TRACE(c.copy);
        const TagChange change = tagChange(m_source / c.source, bare / c.copy);
        EXPECT_TRUE(change.gained.empty()) << change.gained.front();
        ASSERT_EQ(change.lost.size(), 1u);
        EXPECT_EQ(change.lost[0].rfind(c.picture, 0), 0u) << change.lost[0];
        EXPECT_EQ(tunvale::testing::audioStreamMd5(bare / c.copy),
                  tunvale::testing::audioStreamMd5(m_source / c.source));
        // Without any rewrite asked, the copy is the source.
        EXPECT_EQ(fileBytes(same / c.copy), fileBytes(m_source / c.source));
    }
}

} // namespace
