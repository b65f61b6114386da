#include "support/audio_tools.h"

#include "support/temp_dir.h"

#include <cctype>
#include <charconv>
#include <sstream>

namespace fs = std::filesystem;

namespace tunvale::testing {

namespace {

// "key=value" lines as a map; lines without '=' are left out.
std::map<std::string, std::string> parseLines(const std::string &text)
{
    std::map<std::string, std::string> result;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
            result[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return result;
}

std::string withoutLineEnds(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

} // namespace

bool haveMutagen()
{
    static const bool available = runCommand("/usr/bin/python3 -c 'import mutagen' 2>/dev/null") == 0;
    return available;
}

bool haveFfprobe() { return haveTool("ffprobe"); }

bool haveMp3val() { return haveTool("mp3val"); }

int runPython(const std::string &script, const std::vector<std::string> &arguments, std::string *output)
{
    std::string command = "PYTHONIOENCODING=utf-8 /usr/bin/python3 -c " + shellQuote(script);
    for (const std::string &argument : arguments)
        command += " " + shellQuote(argument);
    return runCommand(command, output);
}

std::map<std::string, std::string> mutagenFrames(const fs::path &file)
{
    static const char *script = R"(import sys
from mutagen.id3 import ID3, ID3NoHeaderError
path = sys.argv[1]
try:
    tag = ID3(path, translate=False)
except ID3NoHeaderError:
    print("version=none")
    sys.exit(0)
print("version=%d.%d.%d" % tag.version)
print("unknown=%d" % len(tag.unknown_frames))
with open(path, "rb") as f:
    f.seek(-128, 2)
    print("v1=%d" % (1 if f.read(3) == b"TAG" else 0))
for key in tag.keys():
    frame = tag[key]
    if hasattr(frame, "text"):
        value = "/".join(str(t) for t in frame.text)
    elif hasattr(frame, "rating"):
        value = str(frame.rating)
    elif hasattr(frame, "data"):
        value = "%d bytes" % len(frame.data)
    else:
        value = str(frame)
    print("%s=%s" % (key, value.replace("\n", " ")))
)";
    std::string output;
    if (runPython(script, {file.string()}, &output) != 0)
        return {{"error", "mutagen failed"}};
    return parseLines(output);
}

std::string mutagenSummary(const fs::path &path)
{
    std::string out;
    runPython("import sys, mutagen\n"
              "f = mutagen.File(sys.argv[1])\n"
              "t = f.tags\n"
              "g = lambda k: str(t[k].text[0]) if t is not None and k in t else '-'\n"
              "print(g('TIT2') + '|' + g('TPE1') + '|' + g('TRCK'))\n",
              {path.string()}, &out);
    return withoutLineEnds(out);
}

bool mutagenTag(const fs::path &path, int version, bool withPicture)
{
    std::string script = "import sys, base64, mutagen\n"
                         "from mutagen.id3 import TIT2, TPE1, TALB, TRCK, APIC, COMM\n"
                         "f = mutagen.File(sys.argv[1])\n"
                         "f.add_tags()\n"
                         "f.tags.add(TIT2(encoding=3, text='Old Title'))\n"
                         "f.tags.add(TPE1(encoding=1, text='Old Artist'))\n"
                         "f.tags.add(TALB(encoding=0, text='Album'))\n"
                         "f.tags.add(TRCK(encoding=1, text='4/11'))\n"
                         "f.tags.add(COMM(encoding=3, lang='eng', desc='Info', text='Live'))\n";
    if (withPicture) {
        // A whole 1x1 PNG, 70 bytes.
        script +=
            "png = base64.b64decode('iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9'"
            "'awAAAABJRU5ErkJggg==')\n"
            "f.tags.add(APIC(encoding=0, mime='image/png', type=3, desc='cover', data=png))\n";
    }
    script += "f.save(v2_version=" + std::to_string(version) + ")\n";
    return runPython(script, {path.string()}) == 0;
}

std::vector<std::string> mutagenTagLines(const fs::path &file)
{
    static const char *script = R"(import sys, base64
import mutagen
from mutagen.flac import Picture
from mutagen.mp4 import MP4
try:
    f = mutagen.File(sys.argv[1])
except Exception as e:
    print("error=%s" % type(e).__name__)
    sys.exit(0)
if f is None:
    print("error=unknown file")
    sys.exit(0)
if f.tags is None:
    sys.exit(0)
if isinstance(f, MP4):
    for key in sorted(f.tags.keys()):
        value = f.tags[key]
        if key == "covr":
            value = [(len(bytes(c)), c.imageformat) for c in value]
        print("%s=%r" % (key, value))
else:
    for key, value in f.tags:
        if key.upper() == "METADATA_BLOCK_PICTURE":
            p = Picture(base64.b64decode(value))
            value = "<picture %d bytes type %d>" % (len(p.data), p.type)
        print("%s=%s" % (key, value.replace("\n", " ")))
)";
    std::string output;
    if (runPython(script, {file.string()}, &output) != 0)
        return {"error=mutagen failed"};
    std::vector<std::string> lines;
    std::istringstream stream(output);
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(line);
    return lines;
}

std::string audioStreamMd5(const fs::path &file)
{
    std::string output;
    if (runCommand("ffmpeg -v error -nostdin -i " + shellQuote(file.string()) + " -map 0:a -c copy -f md5 - 2>/dev/null",
                   &output)
        != 0)
        return {};
    return withoutLineEnds(output);
}

namespace {

std::map<std::string, std::string> ffprobeTagsOf(const fs::path &file, const std::string &selection)
{
    std::string output;
    if (runCommand("ffprobe -v error " + selection + " -of default=nw=1 " + shellQuote(file.string()), &output) != 0)
        return {{"error", "ffprobe failed"}};
    std::map<std::string, std::string> tags;
    for (const auto &[key, value] : parseLines(output)) {
        std::string name = key.rfind("TAG:", 0) == 0 ? key.substr(4) : key;
        for (char &c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        tags[name] = value;
    }
    return tags;
}

} // namespace

std::map<std::string, std::string> ffprobeTags(const fs::path &file)
{
    return ffprobeTagsOf(file, "-show_entries format_tags");
}

std::map<std::string, std::string> ffprobeStreamTags(const fs::path &file)
{
    return ffprobeTagsOf(file, "-select_streams a:0 -show_entries stream_tags");
}

int ffprobeSeconds(const fs::path &file)
{
    std::string output;
    if (runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + shellQuote(file.string()), &output)
        != 0)
        return -1;
    double seconds = 0.0;
    const auto [end, error] = std::from_chars(output.data(), output.data() + output.size(), seconds);
    if (error != std::errc() || end == output.data())
        return -1;
    return static_cast<int>(seconds + 0.5);
}

std::string ffprobeSummary(const fs::path &path)
{
    std::string errors;
    runCommand("ffprobe -v error " + shellQuote(path.string()) + " 2>&1 >/dev/null", &errors);
    if (!errors.empty())
        return "error: " + errors;
    std::string out;
    runCommand("ffprobe -v error -select_streams a:0 -count_packets -show_entries "
               "stream=codec_name,sample_rate,channels,duration_ts -of csv=p=0:s='|' "
                   + shellQuote(path.string()) + " 2>&1",
               &out);
    return withoutLineEnds(out);
}

std::vector<std::int16_t> ffmpegSamples(const fs::path &file, int channels)
{
    std::string command = "ffmpeg -v error -nostdin -i " + shellQuote(file.string()) + " -f s16le -c:a pcm_s16le";
    if (channels > 0)
        command += " -ac " + std::to_string(channels);
    std::string raw;
    if (runCommand(command + " - 2>/dev/null", &raw) != 0)
        return {};
    std::vector<std::int16_t> values(raw.size() / 2);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<std::int16_t>(static_cast<unsigned char>(raw[2 * i])
                                              | (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    return values;
}

bool ffmpegDecodesCleanly(const fs::path &file, std::string *errors)
{
    const int status =
        runCommand("ffmpeg -v error -nostdin -i " + shellQuote(file.string()) + " -map 0:a -f null - 2>&1", errors);
    return status == 0 && errors->empty();
}

std::string mp3valReport(const fs::path &file)
{
    std::string output;
    runCommand("mp3val " + shellQuote(file.string()) + " 2>&1", &output);
    return output;
}

std::string mp3valProblems(const fs::path &file)
{
    const std::string report = mp3valReport(file);
    std::string problems;
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        const bool verdict =
            line.rfind("WARNING", 0) == 0 || line.rfind("PROBLEM", 0) == 0 || line.rfind("ERROR", 0) == 0;
        if (verdict && line.find("No supported tags in the file") == std::string::npos)
            problems += line + "\n";
    }
    return problems;
}

} // namespace tunvale::testing
