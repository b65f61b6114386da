#include "support/mp3_fixtures.h"

#include "support/temp_dir.h"

#include <algorithm>

#include <zlib.h>

namespace tunvale::testing::mp3 {

namespace {

void putBigEndian(std::string &out, std::uint32_t value, int bytes)
{
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void putSyncsafe(std::string &out, std::uint32_t value)
{
    for (int shift = 21; shift >= 0; shift -= 7)
        out.push_back(static_cast<char>((value >> shift) & 0x7F));
}

std::string utf16Units(const std::u16string &text, bool bigEndian)
{
    std::string out;
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

} // namespace

std::string id3v2Tag(int major, const std::vector<Frame> &frames, std::size_t padding, std::uint8_t tagFlags)
{
    std::string body;
    for (const Frame &frame : frames) {
        body += frame.id;
        const auto size = static_cast<std::uint32_t>(frame.data.size());
        if (major == 2) {
            putBigEndian(body, size, 3);
        } else {
            if (major == 4)
                putSyncsafe(body, size);
            else
                putBigEndian(body, size, 4);
            putBigEndian(body, frame.flags, 2);
        }
        body += frame.data;
    }
    body.append(padding, '\0');
    std::string tag = "ID3";
    tag.push_back(static_cast<char>(major));
    tag.push_back('\0');
    tag.push_back(static_cast<char>(tagFlags));
    putSyncsafe(tag, static_cast<std::uint32_t>(body.size()));
    return tag + body;
}

std::string id3v1Tag(const std::string &title, const std::string &artist, const std::string &album,
                     const std::string &year, const std::string &comment, int track, int genre)
{
    auto field = [](const std::string &text, std::size_t width) {
        std::string out = text.substr(0, width);
        out.resize(width, '\0');
        return out;
    };
    std::string tag = "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4);
    if (track > 0)
        tag += field(comment, 28) + std::string(1, '\0') + std::string(1, static_cast<char>(track));
    else
        tag += field(comment, 30);
    tag.push_back(static_cast<char>(genre));
    return tag;
}

std::string latin1Text(const std::string &text) { return std::string(1, '\0') + text; }
std::string utf16Text(const std::u16string &text) { return std::string("\x01\xFF\xFE", 3) + utf16Units(text, false); }
std::string utf16BeText(const std::u16string &text) { return std::string(1, '\x02') + utf16Units(text, true); }
std::string utf8Text(const std::string &text) { return std::string(1, '\x03') + text; }

std::string userText(const std::string &description, const std::string &value)
{
    return std::string(1, '\0') + description + std::string(1, '\0') + value;
}

std::string comment(const std::string &description, const std::string &text)
{
    return std::string(1, '\0') + "eng" + description + std::string(1, '\0') + text;
}

std::string popularimeter(const std::string &email, int rating)
{
    return email + std::string(1, '\0') + std::string(1, static_cast<char>(rating)) + std::string(4, '\0');
}

std::string picture(int type, const std::string &description, const std::string &payload)
{
    return std::string(1, '\0') + "image/png" + std::string(1, '\0') + std::string(1, static_cast<char>(type)) +
           description + std::string(1, '\0') + payload;
}

std::string zlibStored(const std::string &data)
{
    std::uint32_t a = 1, b = 0;
    for (const char c : data) {
        a = (a + static_cast<unsigned char>(c)) % 65521;
        b = (b + a) % 65521;
    }
    const auto length = static_cast<std::uint16_t>(data.size());
    std::string out = "\x78\x01\x01";   // zlib header, final stored block
    out.push_back(static_cast<char>(length & 0xFF));
    out.push_back(static_cast<char>(length >> 8));
    out.push_back(static_cast<char>(~length & 0xFF));
    out.push_back(static_cast<char>((~length >> 8) & 0xFF));
    out += data;
    putBigEndian(out, (b << 16) | a, 4);   // Adler-32
    return out;
}

std::string zlibRepeated(const std::string &prefix, char byte, std::uint64_t count)
{
    z_stream stream{};
    deflateInit(&stream, Z_BEST_COMPRESSION);
    const std::string block(1 << 20, byte);
    std::string out;
    char buffer[1 << 16];
    std::uint64_t left = count;
    bool first = true;
    int flush = Z_NO_FLUSH;
    do {
        const std::string &input = first ? prefix : block;
        const std::size_t take =
            first ? prefix.size() : static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        if (!first)
            left -= take;
        first = false;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.data()));
        stream.avail_in = static_cast<uInt>(take);
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&stream);
    return out;
}

std::string unsynchronised(const std::string &tag)
{
    std::string out = tag.substr(0, 10);
    for (std::size_t i = 10; i < tag.size(); ++i) {
        out.push_back(tag[i]);
        if (static_cast<unsigned char>(tag[i]) == 0xFF)
            out.push_back('\0');
    }
    out[5] = static_cast<char>(out[5] | 0x80);
    std::string size;
    putSyncsafe(size, static_cast<std::uint32_t>(out.size() - 10));
    out.replace(6, 4, size);
    return out;
}

std::string mpegFrames(int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        std::string frame = "\xFF\xFB\x90\xC4";   // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, mono
        for (int b = 4; b < 417; ++b)
            frame.push_back(static_cast<char>((b * 7 + i * 13) % 251));
        out += frame;
    }
    return out;
}

bool haveEncoderTools() { return haveTool("sox") && haveTool("lame"); }

const std::filesystem::path &plainAudioMp3()
{
    static TempDir folder;
    static const std::filesystem::path result = [] {
        if (!haveEncoderTools())
            return std::filesystem::path();
        const std::filesystem::path wav = folder / "sine.wav";
        const std::filesystem::path mp3 = folder / "sine.mp3";
        const std::string command = "sox -n -r 44100 -c 2 -b 16 " + shellQuote(wav.string()) +
                                    " synth 1 sine 440 && lame --silent -b 128 " + shellQuote(wav.string()) + " " +
                                    shellQuote(mp3.string());
        if (runCommand(command) != 0)
            return std::filesystem::path();
        return mp3;
    }();
    return result;
}

} // namespace tunvale::testing::mp3
