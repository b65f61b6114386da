#pragma once

#include "catalog/records/load_options.h"
#include "formats/format_table.h"
#include "output/placement_context.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tunvale::engine {

// Whether the files of each format of the format table are sorted: one flag per row, stored
// under the row's option name (MP3_FORMAT ...) and starting at the row's first-start value. A
// new row of the table brings its flag.
class FormatFlags {
public:
    FormatFlags();

    std::int32_t &of(const formats::FormatRow &format) { return m_values.at(formats::formatIndex(format)); }
    std::int32_t of(const formats::FormatRow &format) const { return m_values.at(formats::formatIndex(format)); }
    // The flag of the row whose id is id ("mp3"); std::out_of_range for an id of no row.
    std::int32_t &at(std::string_view id);
    std::int32_t at(std::string_view id) const;
    bool enabled(const formats::FormatRow &format) const { return of(format) != 0; }
    // Every flag to value.
    void setAll(std::int32_t value);

private:
    std::vector<std::int32_t> m_values; // in the order of the table
};

// The user's choices for a run. Every field is one signed 32-bit value persisted under the
// value name given in optionFields(); the initialisers are the first-start defaults.
struct RunOptions {
    FormatFlags formatFlags;             // MP3_FORMAT, FLAC_FORMAT, WAV_FORMAT, AIFF_FORMAT ...
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

// One persisted option: its value name, its field (or, for a format's flag, its format) and its
// first-start default.
struct OptionField {
    std::string_view valueName;
    std::int32_t RunOptions::*field = nullptr; // null for a format's flag
    std::int32_t firstStartDefault = 0;
    const formats::FormatRow *format = nullptr; // the format whose flag it is

    // The value of the option in options.
    std::int32_t &of(RunOptions &options) const;
    std::int32_t of(const RunOptions &options) const;
};

// The folder value names; the folders live in SessionState, not in RunOptions.
inline constexpr std::string_view kSourceFolderValue = "SRC_DIR";
inline constexpr std::string_view kDestinationFolderValue = "DST_DIR";

// The numeric options in the order the dialog loads them: a flag for each format of the format
// table, then the thirteen others.
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

// The source extensions of the ticked formats, in the order of the format table: ".mp3",
// ".flac", ".wav", ".aiff", ".aif".
std::vector<std::string> sourceExtensions(const RunOptions &options);

} // namespace tunvale::engine
