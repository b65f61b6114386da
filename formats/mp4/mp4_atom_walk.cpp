#include "formats/mp4/mp4_atom_walk.h"

#include <array>
#include <cstring>
#include <string_view>

namespace tunvale::formats {

namespace {

// ISO/IEC 14496-12 §4.2: a 32-bit size (1: a 64-bit size follows the type; 0: to the end of
// the file) and a four-character type.
constexpr std::uint64_t kHeaderSize = 8;
constexpr std::uint64_t kLongHeaderSize = 16;

constexpr std::array<std::string_view, 11> kContainers = {"moov", "udta", "mdia", "meta", "ilst", "stbl",
                                                          "minf", "moof", "traf", "trak", "stsd"};
// A 'meta' atom followed directly by one of these is the QuickTime kind, without the version
// and flags of the ISO kind.
constexpr std::array<std::string_view, 5> kMetaChildren = {"hdlr", "ilst", "mhdr", "ctry", "lang"};
// sample entries start with 8 bytes (version, flags, entry count) in 'stsd'.
constexpr std::uint64_t kStsdPrefix = 8;
// 'hdlr': version and flags (4), pre-defined (4), then the handler type.
constexpr std::uint64_t kHandlerTypeAt = 16;

template <std::size_t N> bool isOneOf(std::string_view name, const std::array<std::string_view, N> &names)
{
    for (const std::string_view candidate : names) {
        if (name == candidate)
            return true;
    }
    return false;
}

// A four-character atom type, compared without building strings: the walk compares every
// atom's type a dozen times.
struct AtomType {
    char bytes[4] = {};

    std::string_view view() const { return {bytes, sizeof bytes}; }
    bool operator==(std::string_view other) const
    {
        return other.size() == sizeof bytes && std::memcmp(bytes, other.data(), sizeof bytes) == 0;
    }
};

class AtomWalk {
public:
    explicit AtomWalk(RegularFileStream &stream)
        : m_stream(stream)
        , m_end(static_cast<std::uint64_t>(stream.length()))
    {
    }

    Mp4Layout run();

private:
    struct Atom {
        std::uint64_t offset = 0;
        std::uint64_t length = 0; // 0: invalid, the walk of its parent stops
        std::uint64_t headerSize = kHeaderSize;
        AtomType name;
    };

    // Copies n bytes at offset into out; false when fewer are there.
    bool bytesAt(std::uint64_t offset, char *out, std::size_t n);
    Atom readHeader(std::uint64_t offset);
    static constexpr std::size_t kNoTrack = static_cast<std::size_t>(-1);

    // Walks one atom and what it contains (track: the index of the track it belongs to, or
    // kNoTrack) and returns where TagLib's reading would stand afterwards: past the atom, past
    // its last child (which may reach beyond it), or the end of the file after an invalid atom
    // or a passed limit.
    std::uint64_t walk(const Atom &atom, const Atom *parent, unsigned depth, std::size_t track);
    void noteAtom(const Atom &atom, const Atom *parent, std::size_t track);
    void checkOffsetTable(const Atom &atom, const Atom *parent);
    // Notes the atom that holds the items when atom is it.
    void noteItemsAtom(const Atom &atom, const Atom *parent);

    RegularFileStream &m_stream;
    std::uint64_t m_end = 0;
    std::uint32_t m_atoms = 0;
    bool m_overLimit = false;
    // The path to the items: the first movie atom, its first user data atom, that one's first
    // meta atom and that one's first item list, each once seen.
    struct Step {
        bool seen = false;
        std::uint64_t offset = 0;
    };
    Step m_movie;
    Step m_userData;
    Step m_meta;
    Step m_itemList;
    Mp4Layout m_layout;
};

bool AtomWalk::bytesAt(std::uint64_t offset, char *out, std::size_t n)
{
    return m_stream.copyAt(offset, out, n) == n;
}

std::uint64_t bigEndian(const char *bytes, std::size_t n)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < n; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

AtomWalk::Atom AtomWalk::readHeader(std::uint64_t offset)
{
    Atom atom;
    atom.offset = offset;
    if (offset > m_end || m_end - offset < kHeaderSize)
        return atom;
    char header[kHeaderSize];
    if (!bytesAt(offset, header, kHeaderSize))
        return atom;
    std::uint64_t length = bigEndian(header, 4);
    if (length == 1) {
        char longLength[8];
        if (!bytesAt(offset + kHeaderSize, longLength, 8))
            return atom;
        length = bigEndian(longLength, 8);
        atom.headerSize = kLongHeaderSize;
    } else if (length == 0) {
        length = m_end - offset;
    }
    if (length < atom.headerSize || length > m_end - offset)
        return atom;
    atom.length = length;
    std::memcpy(atom.name.bytes, header + 4, 4);
    return atom;
}

void AtomWalk::noteAtom(const Atom &atom, const Atom *parent, std::size_t track)
{
    if (atom.name == "stco" || atom.name == "co64")
        checkOffsetTable(atom, parent);
    if (!parent || track == kNoTrack)
        return;
    if (parent->name == "mdia" && atom.name == "hdlr" && atom.length >= kHandlerTypeAt + 4) {
        char type[4];
        const std::size_t got = m_stream.copyAt(atom.offset + kHandlerTypeAt, type, 4);
        m_layout.tracks[track].handler.assign(type, got);
    } else if (parent->name == "stsd") {
        m_layout.tracks[track].sampleEntries.emplace_back(atom.name.view());
    }
}

void AtomWalk::noteItemsAtom(const Atom &atom, const Atom *parent)
{
    if (!parent)
        return;
    // Each step is the first atom of its name in the one before it, as TagLib looks them up.
    const auto firstIn = [&](std::string_view name, std::string_view parentName, const Step &parentStep,
                             Step &step) {
        if (!step.seen && atom.name == name && parent->name == parentName && parentStep.seen
            && parent->offset == parentStep.offset) {
            step.seen = true;
            step.offset = atom.offset;
        }
    };
    firstIn("udta", "moov", m_movie, m_userData);
    firstIn("meta", "udta", m_userData, m_meta);
    firstIn("ilst", "meta", m_meta, m_itemList);
    if (parent->name == "ilst" && m_itemList.seen && parent->offset == m_itemList.offset) {
        Mp4ItemAtom item;
        item.offset = atom.offset;
        item.length = atom.length;
        std::memcpy(item.name, atom.name.bytes, sizeof item.name);
        m_layout.items.push_back(item);
    }
}

void AtomWalk::checkOffsetTable(const Atom &atom, const Atom *parent)
{
    // TagLib finds the tables anywhere in the movie atom but moves only those past the place
    // where it inserts a new tag. A table elsewhere than in a sample table may start right at
    // that place (first in the movie atom): TagLib then reads the new tag's bytes as its count
    // and writes entries without end.
    if (parent == nullptr || parent->name != "stbl") {
        m_layout.offsetTablesIntact = false;
        return;
    }
    // ISO/IEC 14496-12 §8.7.5: version and flags, an entry count, then 4-byte (stco) or 8-byte
    // (co64) offsets. TagLib reads the count 12 bytes into the atom, as after a 32-bit size, so
    // a table with a 64-bit size is not taken either.
    constexpr std::uint64_t kCountAt = 12;
    constexpr std::uint64_t kEntriesAt = 16;
    char count[4];
    const bool counted = bytesAt(atom.offset + kCountAt, count, 4);
    const std::uint64_t entrySize = atom.name == "co64" ? 8 : 4;
    if (atom.headerSize != kHeaderSize || atom.length < kEntriesAt || !counted
        || bigEndian(count, 4) * entrySize > atom.length - kEntriesAt)
        m_layout.offsetTablesIntact = false;
}

std::uint64_t AtomWalk::walk(const Atom &atom, const Atom *parent, unsigned depth, std::size_t track)
{
    if (++m_atoms > kMaxMp4Atoms || depth > kMaxMp4AtomDepth) {
        m_overLimit = true;
        return m_end;
    }
    noteAtom(atom, parent, track);
    noteItemsAtom(atom, parent);
    if (!isOneOf(atom.name.view(), kContainers))
        return atom.offset + atom.length;
    if (atom.name == "trak") {
        m_layout.tracks.emplace_back();
        track = m_layout.tracks.size() - 1;
    }
    std::uint64_t first = atom.offset + atom.headerSize;
    if (atom.name == "meta") {
        char next[8];
        const bool quickTime = bytesAt(first, next, 8) && isOneOf(std::string_view(next + 4, 4), kMetaChildren);
        first += quickTime ? 0 : 4;
    } else if (atom.name == "stsd") {
        first += kStsdPrefix;
    }
    const std::uint64_t end = atom.offset + atom.length;
    std::uint64_t position = first;
    while (position < end && !m_overLimit) {
        const Atom child = readHeader(position);
        if (child.length == 0 || child.length > end - position) {
            m_layout.consistent = false;
            if (child.length == 0)
                return m_end;
        }
        position = walk(child, &atom, depth + 1, track);
    }
    return position;
}

Mp4Layout AtomWalk::run()
{
    for (std::uint64_t position = 0; position + kHeaderSize <= m_end && !m_overLimit;) {
        const Atom atom = readHeader(position);
        if (atom.length == 0) {
            m_layout.consistent = false;
            break;
        }
        if (atom.name == "moov" && !m_layout.hasMovie) {
            m_layout.hasMovie = true;
            m_movie = {true, atom.offset};
        }
        position = walk(atom, nullptr, 1, kNoTrack);
    }
    if (m_overLimit) {
        m_layout.result = TagReadResult::failure(TagReadError::Damaged, "MP4 atoms nested too deep or too many");
        return m_layout;
    }
    if (!m_layout.hasMovie) {
        m_layout.result = TagReadResult::failure(TagReadError::NotRecognized, "not an MP4 file");
        return m_layout;
    }
    for (const Mp4Track &track : m_layout.tracks) {
        if (track.handler == "vide") {
            m_layout.result = TagReadResult::failure(TagReadError::Unsupported, "holds video");
            return m_layout;
        }
        if (track.handler != "soun" || !m_layout.audioCodec.empty())
            continue;
        for (const std::string &entry : track.sampleEntries) {
            if (entry == "mp4a" || entry == "alac") {
                m_layout.audioCodec = entry;
                break;
            }
        }
    }
    if (m_layout.audioCodec.empty())
        m_layout.result = TagReadResult::failure(TagReadError::Unsupported, "not AAC or ALAC audio");
    return m_layout;
}

} // namespace

Mp4Layout walkMp4Atoms(RegularFileStream &stream) { return AtomWalk(stream).run(); }

} // namespace tunvale::formats
