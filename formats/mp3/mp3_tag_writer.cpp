// WriteMp3Tags: edits title, artist, track and pictures of a copied MP3 through libid3tag and
// writes the tag back as ID3v2.3, in place when it fits, otherwise into a new file beside the
// copy that then replaces it, so a failure never leaves a half-moved file. PlanMp3Tags makes
// the same edit from the source and tells the pieces of the result, so that placement writes
// the retagged copy once.
#include "formats/mp3/mp3_tags.h"

#include "formats/io/file_identity.h"
#include "formats/io/work_files.h"
#include "formats/mp3/id3v1_renderer.h"
#include "formats/mp3/id3v23_renderer.h"
#include "formats/mp3/id3v2_tag_cleaner.h"
#include "formats/mp3/mp3_tag_layout.h"
#include "formats/mp3/ucs4_text.h"
#include "formats/audio/binary_file.h"

#include <id3tag.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

namespace tunvale::formats {

namespace {

constexpr std::size_t kMoveBlock = 102400;

struct TagDeleter {
    void operator()(id3_tag *tag) const { id3_tag_delete(tag); }
};
using TagPtr = std::unique_ptr<id3_tag, TagDeleter>;

// The tag to edit: the file's ID3v2 tag, else the frames of its ID3v1 tag, else a new tag.
TagPtr loadTag(BinaryFile &file, const Mp3TagLayout &layout)
{
    std::vector<std::uint8_t> bytes;
    if (layout.v2Length > 0) {
        if (!file.readExact(0, static_cast<std::size_t>(layout.v2Length), bytes))
            return nullptr;
        // Parsed only once cleaned (bounded inflation, no read past the buffer); a tag that
        // would lose frames on the way is not rewritten.
        const std::optional<CleanId3v2Tag> clean = cleanId3v2Tag(bytes);
        if (!clean || clean->droppedFrames > 0)
            return nullptr;
        // At most 256 MiB (a 28-bit size): it fits id3_length_t, 32-bit on Windows.
        return TagPtr(id3_tag_parse(clean->bytes.data(), static_cast<id3_length_t>(clean->bytes.size())));
    }
    if (layout.hasV1) {
        if (!file.readExact(layout.v1Position, 128, bytes))
            return nullptr;
        return TagPtr(id3_tag_parse(bytes.data(), static_cast<id3_length_t>(bytes.size())));
    }
    return TagPtr(id3_tag_new());
}

// Finds the first frame id or makes one, and sets its encoding and its one string. A new frame
// is attached only once its text is set.
bool setTextFrame(id3_tag &tag, const char *id, id3_field_textencoding encoding, Ucs4String text)
{
    id3_frame *frame = id3_tag_findframe(&tag, id, 0);
    const bool fresh = frame == nullptr;
    if (fresh)
        frame = id3_frame_new(id);
    if (!frame)
        return false;
    id3_field *encodingField = id3_frame_field(frame, 0);
    id3_field *list = id3_frame_field(frame, 1);
    id3_ucs4_t *strings[] = {text.data()};
    bool ok = encodingField && list && id3_field_type(encodingField) == ID3_FIELD_TYPE_TEXTENCODING &&
              id3_field_type(list) == ID3_FIELD_TYPE_STRINGLIST &&
              id3_field_settextencoding(encodingField, encoding) == 0 && id3_field_setstrings(list, 1, strings) == 0;
    if (ok) {
        // The frame has just been edited: it must not be discarded as an unknown frame of an
        // altered tag.
        frame->flags &= ~ID3_FRAME_FLAG_TAGALTERPRESERVATION;
        if (fresh)
            ok = id3_tag_attachframe(&tag, frame) == 0;
    }
    if (!ok && fresh)
        id3_frame_delete(frame);
    return ok;
}

bool removePictureFrames(id3_tag &tag)
{
    bool removed = false;
    while (id3_frame *frame = id3_tag_findframe(&tag, "APIC", 0)) {
        if (id3_tag_detachframe(&tag, frame) != 0)
            break;
        id3_frame_delete(frame);
        removed = true;
    }
    return removed;
}

Ucs4String trackText(int track, int totalTracks)
{
    std::string text = std::to_string(track);
    if (totalTracks > 0)
        text += "/" + std::to_string(totalTracks);
    return Ucs4String(text.begin(), text.end());
}

// Writes new tag + audio (+ ID3v1) into a file beside the original, then replaces it. A failure
// answers the system's reason of the last step that gave one.
WriteResult rewriteBeside(BinaryFile &file, const std::filesystem::path &path, const Mp3TagLayout &layout,
                          const std::vector<std::uint8_t> &tag, const std::optional<std::array<std::uint8_t, 128>> &v1,
                          io::WorkNames &names)
{
    int systemError = 0;
    const auto note = [&systemError](int error) {
        if (error != 0)
            systemError = error;
    };
    // A work file of this run: never an existing entry, so a link put there is not followed.
    const std::filesystem::path temporary = names.beside(path);
    std::error_code ec;
    errno = 0;
    const int createError = io::createExclusive(temporary);
    note(createError);
    const bool created = createError == 0;
    bool ok = created;
    {
        std::ofstream out;
        if (ok) {
            out.open(temporary, std::ios::binary | std::ios::trunc);
            ok = out.is_open();
        }
        if (ok)
            out.write(reinterpret_cast<const char *>(tag.data()), static_cast<std::streamsize>(tag.size()));
        std::vector<char> block(kMoveBlock);
        const std::uint64_t audioEnd = layout.hasV1 ? layout.v1Position : layout.fileSize;
        for (std::uint64_t position = layout.v2Length; ok && out && position < audioEnd;) {
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(kMoveBlock, audioEnd - position));
            if (file.readAt(position, block.data(), want) != want) {
                ok = false;
                break;
            }
            out.write(block.data(), static_cast<std::streamsize>(want));
            position += want;
        }
        if (ok && v1)
            out.write(reinterpret_cast<const char *>(v1->data()), static_cast<std::streamsize>(v1->size()));
        out.flush();
        // The stream keeps no reason; errno still holds the one of its failed write.
        if (!out)
            note(errno);
        ok = ok && static_cast<bool>(out);
    }
    file.close();
    // Not synced here: the run syncs its destination's file system once, at its end.
    if (ok) {
        const auto permissions = std::filesystem::status(path, ec).permissions();
        if (!ec)
            std::filesystem::permissions(temporary, permissions, ec);
        std::filesystem::rename(temporary, path, ec);
        ok = !ec;
        if (ec && ec.category() == std::generic_category())
            note(ec.value());
    }
    if (!ok && created)
        std::filesystem::remove(temporary, ec);
    return ok ? WriteResult::success() : WriteResult::failure(systemError);
}

// The tag as it is written back: ID3v2.3 padded to the old tag's length (the library pads a
// re-read tag to its old length; so do we, so an edited tag never shrinks) and the ID3v1 tag
// when the file has one. Nothing when the tag cannot be rendered or would shrink.
struct RenderedTags {
    std::vector<std::uint8_t> v2;
    std::optional<std::array<std::uint8_t, 128>> v1;
};

std::optional<RenderedTags> renderTags(const Mp3TagLayout &layout, const id3_tag &tag)
{
    RenderedTags rendered;
    rendered.v2 = renderId3v23(&tag, static_cast<std::size_t>(layout.v2Length));
    if (rendered.v2.empty() || rendered.v2.size() < layout.v2Length)
        return std::nullopt;
    if (layout.hasV1)
        rendered.v1 = renderId3v1(tag);
    return rendered;
}

WriteResult updateFile(BinaryFile &file, const std::filesystem::path &path, const Mp3TagLayout &layout,
                       const id3_tag &tag, io::WorkNames &names)
{
    const std::optional<RenderedTags> rendered = renderTags(layout, tag);
    if (!rendered)
        return WriteResult::failure();
    const std::vector<std::uint8_t> &bytes = rendered->v2;
    const std::optional<std::array<std::uint8_t, 128>> &v1 = rendered->v1;
    if (bytes.size() == layout.v2Length) {
        bool ok = file.writeAt(0, bytes.data(), bytes.size());
        if (ok && v1)
            ok = file.writeAt(layout.v1Position, v1->data(), v1->size());
        return file.flush() && ok ? WriteResult::success() : WriteResult::failure(file.writeError());
    }
    return rewriteBeside(file, path, layout, bytes, v1, names);
}

enum class Edit { Unchanged, Edited, Failed };

// Loads the file's tag into tag and applies changes to it.
Edit editTag(BinaryFile &file, const Mp3TagLayout &layout, const TagChanges &changes, TagPtr &tag)
{
    const std::u16string &title = changes.title;
    const std::u16string &artist = changes.artist;
    const int track = changes.track;
    if (title.empty() && artist.empty() && track <= 0 && !changes.removePictures)
        return Edit::Unchanged;

    tag = loadTag(file, layout);
    if (!tag)
        return Edit::Failed;
    id3_tag_options(tag.get(), ID3_TAG_OPTION_COMPRESSION | ID3_TAG_OPTION_UNSYNCHRONISATION | ID3_TAG_OPTION_CRC, 0);

    bool changed = false;
    if (!title.empty()) {
        if (!setTextFrame(*tag, "TIT2", ID3_FIELD_TEXTENCODING_UTF_16, utf16ToUcs4(title)))
            return Edit::Failed;
        changed = true;
    }
    if (!artist.empty()) {
        if (!setTextFrame(*tag, "TPE1", ID3_FIELD_TEXTENCODING_UTF_16, utf16ToUcs4(artist)))
            return Edit::Failed;
        changed = true;
    }
    if (track > 0) {
        if (!setTextFrame(*tag, "TRCK", ID3_FIELD_TEXTENCODING_ISO_8859_1, trackText(track, changes.totalTracks)))
            return Edit::Failed;
        changed = true;
    }
    if (changes.removePictures && removePictureFrames(*tag))
        changed = true;
    return changed ? Edit::Edited : Edit::Unchanged;
}

} // namespace

WriteResult WriteMp3Tags(const std::filesystem::path &path, const TagChanges &changes, io::WorkNames &names)
{
    BinaryFile file;
    if (!file.open(path, BinaryFile::Mode::ReadWrite))
        return WriteResult::failure();
    const std::optional<Mp3TagLayout> layout = probeMp3TagLayout(file);
    if (!layout)
        return WriteResult::failure();
    TagPtr tag;
    switch (editTag(file, *layout, changes, tag)) {
    case Edit::Unchanged: return WriteResult::success();
    case Edit::Failed: return WriteResult::failure();
    case Edit::Edited: break;
    }
    return updateFile(file, path, *layout, *tag, names);
}

RetagPlan PlanMp3Tags(const std::filesystem::path &, BinaryFile &source, const TagChanges &changes)
{
    const std::optional<Mp3TagLayout> layout = probeMp3TagLayout(source);
    if (!layout)
        return RetagPlan::failed();
    TagPtr tag;
    switch (editTag(source, *layout, changes, tag)) {
    case Edit::Unchanged: return RetagPlan::unchanged();
    case Edit::Failed: return RetagPlan::failed();
    case Edit::Edited: break;
    }
    std::optional<RenderedTags> rendered = renderTags(*layout, *tag);
    if (!rendered)
        return RetagPlan::failed();
    // Written in place or beside, the file is the same: the new tag, the audio, the ID3v1 tag.
    RetagPlan plan;
    plan.outcome = RetagPlan::Outcome::Rewritten;
    plan.pieces.push_back(OutputPiece{std::move(rendered->v2), 0, 0});
    const std::uint64_t audioEnd = layout->hasV1 ? layout->v1Position : layout->fileSize;
    if (audioEnd > layout->v2Length)
        plan.pieces.push_back(OutputPiece{{}, layout->v2Length, audioEnd - layout->v2Length});
    if (rendered->v1)
        plan.pieces.push_back(OutputPiece{std::vector<std::uint8_t>(rendered->v1->begin(), rendered->v1->end()), 0, 0});
    return plan;
}

} // namespace tunvale::formats
