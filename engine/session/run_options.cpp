#include "engine/session/run_options.h"

#include <array>
#include <stdexcept>

namespace tunvale::engine {

namespace {

// The options after the formats' flags, in the order of the dialog's loading step: criterion,
// grouping, replace, pictures, artist, composer, new names, tags from name, track numbers,
// step, convert, quality. Their first-start defaults are RunOptions' initialisers.
constexpr std::array<OptionField, 13> kOtherFields{{
    {"TAG_ID", &RunOptions::tagId},
    {"GROUP_ISOLATED", &RunOptions::groupIsolated},
    {"ACCEPT_SIMILITUDES", &RunOptions::acceptSimilitudes},
    {"FILE_REPLACE", &RunOptions::fileReplace},
    {"REMOVE_PICTS", &RunOptions::removePictures},
    {"ADD_ARTIST", &RunOptions::addArtist},
    {"ADD_COMPOSER", &RunOptions::addComposer},
    {"NEWFILENAMES", &RunOptions::newFileNames},
    {"TAGSFROMNAME", &RunOptions::tagsFromName},
    {"ALPHA_TRACK", &RunOptions::alphaTrack},
    {"IDC_TRk_INCREMENT", &RunOptions::trackStep},
    {"MP3_CONVERT", &RunOptions::mp3Convert},
    {"MP3_QUALITY", &RunOptions::mp3Quality},
}};

constexpr std::array<OptionField, 3> kRunStartRereads{{
    {"TAG_ID", &RunOptions::tagId, 1004},
    {"GROUP_ISOLATED", &RunOptions::groupIsolated, 0},
    {"ACCEPT_SIMILITUDES", &RunOptions::acceptSimilitudes, 1},
}};

std::vector<OptionField> buildFields()
{
    const RunOptions defaults;
    std::vector<OptionField> fields;
    for (const formats::FormatRow &format : formats::formatTable())
        fields.push_back(OptionField{format.optionName, nullptr, format.enabledAtFirstStart, &format});
    for (OptionField field : kOtherFields) {
        field.firstStartDefault = defaults.*field.field;
        fields.push_back(field);
    }
    return fields;
}

// Made once from the format table, then never changed.
const std::vector<OptionField> &allFields()
{
    static const std::vector<OptionField> fields = buildFields();
    return fields;
}

} // namespace

FormatFlags::FormatFlags()
{
    for (const formats::FormatRow &format : formats::formatTable())
        m_values.push_back(format.enabledAtFirstStart);
}

std::int32_t &FormatFlags::at(std::string_view id)
{
    const formats::FormatRow *format = formats::findFormat(id);
    if (format == nullptr)
        throw std::out_of_range("no format " + std::string(id));
    return of(*format);
}

std::int32_t FormatFlags::at(std::string_view id) const
{
    const formats::FormatRow *format = formats::findFormat(id);
    if (format == nullptr)
        throw std::out_of_range("no format " + std::string(id));
    return of(*format);
}

void FormatFlags::setAll(std::int32_t value)
{
    for (std::int32_t &flag : m_values)
        flag = value;
}

std::int32_t &OptionField::of(RunOptions &options) const
{
    return format != nullptr ? options.formatFlags.of(*format) : options.*field;
}

std::int32_t OptionField::of(const RunOptions &options) const
{
    return format != nullptr ? options.formatFlags.of(*format) : options.*field;
}

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

std::span<const OptionField> optionFields() { return allFields(); }

std::span<const OptionField> runStartRereads() { return kRunStartRereads; }

const OptionField *findOptionField(std::string_view valueName)
{
    for (const OptionField &f : allFields()) {
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
    for (const formats::FormatRow &format : formats::formatTable()) {
        if (!options.formatFlags.enabled(format))
            continue;
        for (const std::string_view extension : format.extensions)
            extensions.emplace_back(extension);
    }
    return extensions;
}

} // namespace tunvale::engine
