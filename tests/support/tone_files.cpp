#include "support/tone_files.h"

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace tunvale::testing {

namespace {

// The start of an ffmpeg command line that writes seconds of a sine tone, its parent folders
// made first.
std::string toneCommand(const fs::path &path, const std::string &source)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    return "ffmpeg -nostdin -loglevel error -f lavfi -i " + source;
}

std::string tags(const std::string &artist, const std::string &title)
{
    return " -metadata artist=" + shellQuote(artist) + " -metadata title=" + shellQuote(title);
}

} // namespace

bool makeTaggedMp3(const fs::path &path, const std::string &artist, const std::string &title, int track, double seconds,
                   const std::string &bitRate)
{
    std::string command = toneCommand(path, "sine=frequency=440:duration=" + std::to_string(seconds))
        + " -c:a libmp3lame -b:a " + bitRate + " -id3v2_version 3" + tags(artist, title);
    if (track > 0)
        command += " -metadata track=" + std::to_string(track);
    return runCommand(command + " -y " + shellQuote(path.string())) == 0;
}

bool makeTaggedWav(const fs::path &path, const std::string &artist, const std::string &title, double seconds)
{
    const std::string command = toneCommand(path, "sine=duration=" + std::to_string(seconds)) + " -ac 2"
        + tags(artist, title) + " -y " + shellQuote(path.string());
    return runCommand(command) == 0;
}

} // namespace tunvale::testing
