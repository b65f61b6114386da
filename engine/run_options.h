#pragma once

#include "catalog/records/load_options.h"
#include "output/placement_context.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tunvale::engine {

// The user's choices for a run. Every field is one signed 32-bit value persisted under the
// value name given in kOptionFields; the initialisers are the first-start defaults.
struct RunOptions {
    std::int32_t mp3Format = 1;          // MP3_FORMAT
    std::int32_t flacFormat = 1;         // FLAC_FORMAT
    std::int32_t wavFormat = 1;          // WAV_FORMAT
    std::int32_t aiffFormat = 1;         // AIFF_FORMAT
    std::int32_t groupIsolated = 1;      // GROUP_ISOLATED
    std::int32_t acceptSimilitudes = 1;  // ACCEPT_SIMILITUDES
    std::int32_t fileReplace = 0;        // FILE_REPLACE
    std::int32_t newFileNames = 1;       // NEWFILENAMES
    std::int32_t tagsFromName = 1;       // TAGSFROMNAME
    std::int32_t addArtist = 1;          // ADD_ARTIST
    std::int32_t addComposer = 1;        // ADD_COMPOSER
    std::int32_t mp3Convert = 0;         // MP3_CONVERT
    std::int32_t removePictures = 0;     // REMOVE_PICTS
    std::int32_t alphaTrack = 1;         // ALPHA_TRACK
    std::int32_t tagId = 1004;           // TAG_ID: 1004 Artist .. 1008 Year
    std::int32_t mp3Quality = 1;         // MP3_QUALITY: 0 standard, 1 high, other max
    std::int32_t trackStep = 1;          // IDC_TRk_INCREMENT: 1 or 10

    // The options every loader, tag completion and intake read.
    catalog::LoadOptions loadOptions() const;
    // The options placement, renaming, retagging and conversion read.
    output::PlacementOptions placementOptions() const;
};

// "Organize by" choices, the values of TAG_ID.
namespace tag_id {
inline constexpr std::int32_t kArtist = 1004;
inline constexpr std::int32_t kAlbum = 1005;
inline constexpr std::int32_t kGenre = 1006;
inline constexpr std::int32_t kDecade = 1007;
inline constexpr std::int32_t kYear = 1008;
} // namespace tag_id

// One persisted option: its value name, its field and its first-start default.
struct OptionField {
    std::string_view valueName;
    std::int32_t RunOptions::*field;
    std::int32_t firstStartDefault;
};

// The folder value names; the folders live in SessionState, not in RunOptions.
inline constexpr std::string_view kSourceFolderValue = "SRC_DIR";
inline constexpr std::string_view kDestinationFolderValue = "DST_DIR";

// The seventeen numeric options in the order the dialog loads them.
std::span<const OptionField> optionFields();
// The field persisted under valueName, or nullptr.
const OptionField *findOptionField(std::string_view valueName);

// The three options read again from the store when a run starts, with the defaults of that
// read (GROUP_ISOLATED defaults to 0 here, unlike at first start).
std::span<const OptionField> runStartRereads();

// The criterion code of a TAG_ID: 1004 -> 1, 1005 -> 2, 1006 -> 6, 1007 -> 1007, 1008 -> 5,
// anything else 0.
int criterionCodeFor(std::int32_t tagId);

// The step as the dialog reads it from the store: 0 becomes 1, above 10 becomes 10.
std::int32_t clampTrackStep(std::int32_t step);

// The source extensions of the ticked formats, in scan order: ".mp3", ".wav", ".flac",
// ".aiff", ".aif".
std::vector<std::string> sourceExtensions(const RunOptions &options);

} // namespace tunvale::engine
