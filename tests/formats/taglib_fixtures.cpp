#include "formats/taglib_fixtures.h"

#include "support/audio_tools.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace tunvale::testing::taglib {

namespace {

const std::string kTone = "-f lavfi -i sine=frequency=440:duration=0.5:sample_rate=48000 -ac 2";

bool makeWav(const fs::path &wav)
{
    return runCommand("ffmpeg -nostdin -loglevel error " + kTone + " -c:a pcm_s16le -bitexact -y " + shellQuote(wav.string())) == 0;
}

std::string pythonList(const std::vector<std::string> &items)
{
    std::string list = "[";
    for (const std::string &item : items) {
        list += "'";
        for (const char c : item) {
            if (c == '\\' || c == '\'')
                list += '\\';
            list += c;
        }
        list += "',";
    }
    return list + "]";
}

} // namespace

bool haveTools()
{
    return haveMutagen() && haveTool("oggenc") && haveTool("opusenc") && haveTool("ffmpeg") && haveTool("ffprobe");
}

bool makeVorbis(const fs::path &path)
{
    const fs::path wav = fs::path(path).replace_extension(".source.wav");
    const bool ok = makeWav(wav) && runCommand("oggenc -Q " + shellQuote(wav.string()) + " -o " + shellQuote(path.string())) == 0;
    fs::remove(wav);
    return ok;
}

bool makeOpus(const fs::path &path)
{
    const fs::path wav = fs::path(path).replace_extension(".source.wav");
    const bool ok =
        makeWav(wav) && runCommand("opusenc --quiet " + shellQuote(wav.string()) + " " + shellQuote(path.string())) == 0;
    fs::remove(wav);
    return ok;
}

bool makeWithFfmpeg(const fs::path &path, const std::string &codec, bool faststart)
{
    std::string command = "ffmpeg -nostdin -loglevel error " + kTone + " -c:a " + codec;
    if (codec == "libvorbis" || codec == "libopus" || codec == "flac")
        command += " -f ogg";
    else
        command += " -f mp4";
    if (faststart)
        command += " -movflags +faststart";
    return runCommand(command + " -y " + shellQuote(path.string())) == 0;
}

bool makeMp4WithVideo(const fs::path &path)
{
    return runCommand("ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=32x32:rate=5:duration=0.5 " + kTone
                      + " -c:v mpeg4 -c:a aac -shortest -f mp4 -y " + shellQuote(path.string()))
        == 0;
}

bool setVorbisComments(const fs::path &path, const std::vector<std::string> &entries)
{
    const std::string script = "import sys, mutagen\n"
                               "f = mutagen.File(sys.argv[1])\n"
                               "del f.tags[:]\n"
                               "for e in " + pythonList(entries) + ":\n"
                               "    k, v = e.split('=', 1)\n"
                               "    f.tags.append((k, v))\n"
                               "f.save()\n";
    return runPython(script, {path.string()}) == 0;
}

bool addXiphPicture(const fs::path &path, int type, int width, int height, std::size_t payloadSize)
{
    const std::string script = "import sys, base64, mutagen\n"
                               "from mutagen.flac import Picture\n"
                               "f = mutagen.File(sys.argv[1])\n"
                               "p = Picture()\n"
                               "p.type = " + std::to_string(type) + "\n"
                               "p.mime = 'image/png'\n"
                               "p.desc = 'picture'\n"
                               "p.width = " + std::to_string(width) + "\n"
                               "p.height = " + std::to_string(height) + "\n"
                               "p.depth = 24\n"
                               // A whole 1x1 PNG (70 bytes) with a private chunk of payloadSize
                               // zeros (12 bytes more) before its end.
                               "import struct, zlib\n"
                               "png = base64.b64decode('iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk'"
                               "'+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==')\n"
                               "body = b'prVt' + bytes(" + std::to_string(payloadSize) + ")\n"
                               "chunk = struct.pack('>I', len(body) - 4) + body + struct.pack('>I', zlib.crc32(body))\n"
                               "p.data = png[:-12] + chunk + png[-12:]\n"
                               "f.tags.append(('METADATA_BLOCK_PICTURE', base64.b64encode(p.write()).decode('ascii')))\n"
                               "f.save()\n";
    return runPython(script, {path.string()}) == 0;
}

bool editMp4(const fs::path &path, const std::string &statements)
{
    const std::string script = "import sys\n"
                               "from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm, AtomDataType\n"
                               "f = MP4(sys.argv[1])\n"
                               "if f.tags is None:\n"
                               "    f.add_tags()\n"
                               + statements + "\nf.save()\n";
    return runPython(script, {path.string()}) == 0;
}

bool addGnreAtom(const fs::path &path, int genreNumber)
{
    // Walks moov/udta/meta/ilst, appends the atom to ilst and grows every size on the way.
    const std::string script = R"(import sys, struct
path, number = sys.argv[1], int(sys.argv[2])
data = bytearray(open(path, 'rb').read())
def children(start, end):
    pos = start
    while pos + 8 <= end:
        size, name = struct.unpack('>I4s', data[pos:pos + 8])
        yield pos, size, name
        pos += size
chain = []
start, end = 0, len(data)
for want, skip in ((b'moov', 0), (b'udta', 0), (b'meta', 4), (b'ilst', 0)):
    found = [c for c in children(start, end) if c[2] == want]
    if not found:
        sys.exit(1)
    pos, size, _ = found[0]
    chain.append(pos)
    start, end = pos + 8 + skip, pos + size
if any(c[2] == b'mdat' and c[0] > chain[0] for c in children(0, len(data))):
    sys.exit(2)
atom = struct.pack('>I4s', 26, b'gnre') + struct.pack('>I4sII', 18, b'data', 0, 0) + struct.pack('>H', number)
data[end:end] = atom
for pos in chain:
    size = struct.unpack('>I', data[pos:pos + 4])[0]
    data[pos:pos + 4] = struct.pack('>I', size + len(atom))
open(path, 'wb').write(data)
)";
    return runPython(script, {path.string(), std::to_string(genreNumber)}) == 0;
}

} // namespace tunvale::testing::taglib
