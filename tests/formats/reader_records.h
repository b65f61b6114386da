#pragma once

// The records a format test reads into, one set per test: the tags and pictures a reader
// fills, the audio a decoding read describes and the catalog loads go to, named the way the
// tests use them. Reads are completed as every caller of a reader completes them.

#include "catalog/intake/intake.h"
#include "catalog/records/catalog.h"
#include "catalog/records/load_options.h"
#include "formats/audio/decoded_audio.h"
#include "formats/format_table.h"
#include "formats/pcm_opening.h"
#include "formats/read_status.h"
#include "formats/track_read.h"

#include <filesystem>
#include <utility>

namespace tunvale::testing {

class ReaderRecords {
protected:
    const catalog::CurrentTags &currentTags() const { return m_read.tags; }
    const catalog::PictureTable &pictureTable() const { return m_read.pictures; }
    const formats::DecodedAudio &decodedAudio() const { return m_audio; }

    // read(TrackRead &, DecodedAudio &) into fresh records, then, when it took the file, the
    // completion with tagsFromName.
    template <class Read> formats::ReadResult readWith(const std::filesystem::path &path, bool tagsFromName, Read read)
    {
        m_read = formats::TrackRead{};
        m_audio = formats::DecodedAudio{};
        formats::ReadResult status = read(m_read, m_audio);
        if (status.ok())
            formats::completeReadTags(m_read, path, tagsFromName);
        return status;
    }

    // A format's reader, completed.
    formats::ReadResult readTags(formats::ReaderFn reader, const std::filesystem::path &path,
                                 const catalog::LoadOptions &options)
    {
        return readWith(path, options.tagsFromName,
                        [&](formats::TrackRead &read, formats::DecodedAudio &) { return reader(path, options, read); });
    }

    // What the loading of a run does with a reader: read, complete, one entry in m_catalog.
    formats::ReadResult load(formats::ReaderFn reader, const std::filesystem::path &path,
                             const catalog::LoadOptions &options, int criterionCode = catalog::criterion::kArtist)
    {
        formats::ReadResult status = readTags(reader, path, options);
        if (status.ok())
            catalog::intake(criterionCode, path, m_read.tags, options.acceptSimilitudes, m_catalog);
        return status;
    }

    // A conversion's decoding read; its tags (completed when the file was read) and pictures
    // become the records, its audio description m_audio.
    formats::PcmOpening openPcm(formats::PcmOpenerFn opener, const std::filesystem::path &path,
                                const catalog::LoadOptions &options)
    {
        formats::PcmOpening opening = opener(path, options);
        if (opening.status.ok())
            formats::completeReadTags(opening.read, path, options.tagsFromName);
        m_read = std::move(opening.read);
        m_audio = opening.audio;
        return opening;
    }

    formats::TrackRead m_read;
    formats::DecodedAudio m_audio;
    catalog::Catalog m_catalog;
};

} // namespace tunvale::testing
