#include "engine/run_options.h"

#include <array>

namespace tunvale::engine {

namespace {

constexpr RunOptions kDefaults{};

// Order of the dialog's loading step: formats, criterion, grouping, replace, pictures,
// artist, composer, new names, tags from name, track numbers, step, convert, quality.
constexpr std::array<OptionField, 17> kFields{{
    {"MP3_FORMAT", &RunOptions::mp3Format, kDefaults.mp3Format},
    {"FLAC_FORMAT", &RunOptions::flacFormat, kDefaults.flacFormat},
    {"WAV_FORMAT", &RunOptions::wavFormat, kDefaults.wavFormat},
    {"AIFF_FORMAT", &RunOptions::aiffFormat, kDefaults.aiffFormat},
    {"TAG_ID", &RunOptions::tagId, kDefaults.tagId},
    {"GROUP_ISOLATED", &RunOptions::groupIsolated, kDefaults.groupIsolated},
    {"ACCEPT_SIMILITUDES", &RunOptions::acceptSimilitudes, kDefaults.acceptSimilitudes},
    {"FILE_REPLACE", &RunOptions::fileReplace, kDefaults.fileReplace},
    {"REMOVE_PICTS", &RunOptions::removePictures, kDefaults.removePictures},
    {"ADD_ARTIST", &RunOptions::addArtist, kDefaults.addArtist},
    {"ADD_COMPOSER", &RunOptions::addComposer, kDefaults.addComposer},
    {"NEWFILENAMES", &RunOptions::newFileNames, kDefaults.newFileNames},
    {"TAGSFROMNAME", &RunOptions::tagsFromName, kDefaults.tagsFromName},
    {"ALPHA_TRACK", &RunOptions::alphaTrack, kDefaults.alphaTrack},
    {"IDC_TRk_INCREMENT", &RunOptions::trackStep, kDefaults.trackStep},
    {"MP3_CONVERT", &RunOptions::mp3Convert, kDefaults.mp3Convert},
    {"MP3_QUALITY", &RunOptions::mp3Quality, kDefaults.mp3Quality},
}};

constexpr std::array<OptionField, 3> kRunStartRereads{{
    {"TAG_ID", &RunOptions::tagId, 1004},
    {"GROUP_ISOLATED", &RunOptions::groupIsolated, 0},
    {"ACCEPT_SIMILITUDES", &RunOptions::acceptSimilitudes, 1},
}};

} // namespace

catalog::LoadOptions RunOptions::loadOptions() const
{
    catalog::LoadOptions options;
    options.tagsFromName = tagsFromName != 0;
    options.acceptSimilitudes = acceptSimilitudes != 0;
    return options;
}

output::PlacementOptions RunOptions::placementOptions() const
{
    output::PlacementOptions options;
    options.fileReplace = fileReplace != 0;
    options.newFileNames = newFileNames != 0;
    options.tagsFromName = tagsFromName != 0;
    options.addArtist = addArtist != 0;
    options.addComposer = addComposer != 0;
    options.alphaTrack = alphaTrack != 0;
    options.trackStep = trackStep;
    options.removePictures = removePictures != 0;
    options.mp3Convert = mp3Convert != 0;
    options.mp3Quality = mp3Quality;
    return options;
}

std::span<const OptionField> optionFields() { return kFields; }

std::span<const OptionField> runStartRereads() { return kRunStartRereads; }

const OptionField *findOptionField(std::string_view valueName)
{
    for (const OptionField &f : kFields) {
        if (f.valueName == valueName)
            return &f;
    }
    return nullptr;
}

int criterionCodeFor(std::int32_t tagId)
{
    switch (tagId) {
    case tag_id::kArtist: return catalog::criterion::kArtist;
    case tag_id::kAlbum: return catalog::criterion::kAlbum;
    case tag_id::kGenre: return catalog::criterion::kGenre;
    case tag_id::kDecade: return catalog::criterion::kDecade;
    case tag_id::kYear: return catalog::criterion::kYear;
    default: return catalog::criterion::kNone;
    }
}

std::int32_t clampTrackStep(std::int32_t step)
{
    if (step < 1)
        return 1;
    if (step > 10)
        return 10;
    return step;
}

std::vector<std::string> sourceExtensions(const RunOptions &options)
{
    std::vector<std::string> extensions;
    if (options.mp3Format)
        extensions.emplace_back(".mp3");
    if (options.wavFormat)
        extensions.emplace_back(".wav");
    if (options.flacFormat)
        extensions.emplace_back(".flac");
    if (options.aiffFormat) {
        extensions.emplace_back(".aiff");
        extensions.emplace_back(".aif");
    }
    return extensions;
}

} // namespace tunvale::engine
