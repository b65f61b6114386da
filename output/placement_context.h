#pragma once

#include "catalog/records/catalog.h"
#include "formats/io/file_identity.h"
#include "formats/io/work_files.h"
#include "output/rewrite_tags.h"
#include "output/run_sources.h"
#include "output/status_reporter.h"
#include "output/work_copy.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace tunvale::output {

// The options placement, renaming, retagging and conversion read (a snapshot taken by the
// engine when a run starts).
struct PlacementOptions {
    bool fileReplace = false;     // FILE_REPLACE
    bool newFileNames = true;     // NEWFILENAMES
    bool tagsFromName = true;     // TAGSFROMNAME
    bool addArtist = true;        // ADD_ARTIST
    bool addComposer = true;      // ADD_COMPOSER
    bool alphaTrack = true;       // ALPHA_TRACK
    int trackStep = 1;            // IDC_TRk_INCREMENT, 1 or 10
    bool removePictures = false;  // REMOVE_PICTS
    bool mp3Convert = false;      // MP3_CONVERT
    int mp3Quality = 1;           // MP3_QUALITY: 0, 1, anything else = 2
};

// What placement tells beside a failure code, so the message can say what became of the file
// and why.
struct PlacementFailure {
    bool conversion = false;           // the file was to be converted, not copied
    bool writtenWithoutTags = false;   // the file stands at destinationPath; only its tags failed
    int systemError = 0;               // the system's reason for the tag failure (a copy error code), 0 unknown
    // The source's audio is damaged (cut short, frames that do not decode): what is wrong, as
    // the report words it (UTF-8). Empty for any other failure.
    std::string damage;
};

// Told, before it happens, of each name a complete file is about to take and of each file
// about to be moved aside to be replaced, so that a run killed at any moment leaves a record of
// everything it made. Called on the placing thread.
class PlacementRecorder {
public:
    virtual ~PlacementRecorder() = default;
    // The complete file with identity is about to be given the name path.
    virtual void publishing(const std::filesystem::path &path, const formats::io::FileIdentity &identity) = 0;
    // The file at original (with identity) is about to be moved to kept, to be replaced.
    virtual void keeping(const std::filesystem::path &original, const formats::io::FileIdentity &identity,
                         const std::filesystem::path &kept) = 0;
};

// What placement of one file reads and may change: the engine fills it from its session.
struct PlacementContext {
    PlacementOptions options;
    std::filesystem::path sourcePath;        // current source path
    std::filesystem::path destinationPath;   // current destination path; placement may change it
    // The destination folder of the run; when set, placement refuses any destination path
    // that would lead outside it.
    std::filesystem::path destinationRoot;
    std::int32_t *miscellaneousFiles = nullptr;   // run-wide counter of Miscellaneous files
    // The run's catalog: the entry of the source gives the tags a rewrite sets (null: none).
    catalog::Catalog *catalog = nullptr;
    StatusReporter *status = nullptr;
    // Set when the run is being given up: long operations stop at their next safe point and
    // remove what they had partly written.
    const std::atomic<bool> *cancel = nullptr;
    // The files the run reads; with replace, a name that holds one of them counts as taken.
    const RunSources *runSources = nullptr;
    PlacementFailure failure;   // filled by placement when it fails
    // What placement did other than what it was asked, on success ("copied as it is, not
    // converted: ..."), for the run's account; empty when it did as asked.
    std::u16string notice;
    // Told of every name placement gives a file and every file it moves aside (may be null).
    PlacementRecorder *recorder = nullptr;
    // Set by placement to the identity of the file it gave destinationPath (also when its tags
    // could not be rewritten); invalid when no file took its final name.
    formats::io::FileIdentity placedIdentity;
    // The names of the run's work files and of the files it keeps aside (null: names under a
    // token of this context's own, made when first needed).
    formats::io::WorkNames *workNames = nullptr;
    // Stands in for the formats' tag writers when set (tests).
    const TagWriterOverride *tagWriter = nullptr;
    // What the run learnt about copying between its file systems (null: this context's own).
    CopyMethods *copyMethods = nullptr;

    // workNames, or this context's own names.
    formats::io::WorkNames &names();
    // copyMethods, or this context's own.
    CopyMethods &copies();

private:
    std::shared_ptr<formats::io::WorkNames> m_ownNames;
    std::shared_ptr<CopyMethods> m_ownCopies;
};

} // namespace tunvale::output
