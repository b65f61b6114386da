#include "output/placement_plan.h"

#include "formats/format_table.h"
#include "formats/io/work_files.h"
#include "output/name_text.h"
#include "output/title_builders.h"
#include "output/track_numbering.h"

#include <string>

namespace tunvale::output {

PlacementDecision decidePlacement(int index, int count, const PlacementOptions &options,
                                  const std::filesystem::path &source, const std::filesystem::path &destination,
                                  std::int32_t *miscellaneousFiles)
{
    PlacementDecision decision;
    decision.destination = destination;
    decision.index = index;
    decision.count = count;
    TagPlan &plan = decision.tags;
    plan.addArtist = options.addArtist;
    plan.addComposer = options.addComposer;
    plan.fromName = options.tagsFromName;
    plan.renumber = options.alphaTrack;
    plan.removePictures = options.removePictures;
    plan.step = options.trackStep > 1 ? options.trackStep : 1;

    const std::u16string folderName = pathToText(destination.parent_path().filename());
    if (equalsIgnoreCase(folderName, u"Undefined")) {
        plan.addArtist = false;
        plan.addComposer = false;
        plan.fromName = false;
        plan.renumber = false;
    } else if (equalsIgnoreCase(folderName, u"Miscellaneous")) {
        std::int32_t localCounter = 0;
        std::int32_t &counter = miscellaneousFiles != nullptr ? *miscellaneousFiles : localCounter;
        const int m = ++counter;
        if (plan.renumber) {
            decision.index = m;
            decision.count = 0;
        }
        if (options.newFileNames) {
            const std::u16string fileName = pathToText(destination.filename());
            const std::size_t extensionSize = lowerExtension(fileName).size();
            const std::u16string stem = fileName.substr(0, fileName.size() - extensionSize);
            const std::u16string renamed = renumberMiscellaneousName(stem, m, plan.step);
            if (renamed != stem) {
                decision.destination =
                    destination.parent_path() / pathFromText(renamed + fileName.substr(fileName.size() - extensionSize));
            }
        }
    }

    // A format that is never converted (MP3) is copied; anything else goes to the encoder,
    // which refuses what it cannot read.
    const std::u16string sourceName = pathToText(source.filename());
    const formats::FormatRow *format = formats::formatOfExtension(lowerExtension(sourceName));
    const bool keptAsItIs = format != nullptr && format->openPcm == nullptr;
    decision.converting = options.mp3Convert && !keptAsItIs;
    return decision;
}

bool isSafeDestination(const std::filesystem::path &root, const std::filesystem::path &destination)
{
    const std::u16string name = pathToText(destination.filename());
    if (name.empty() || name == u"." || name == u"..")
        return false;
    const std::u16string folder = pathToText(destination.parent_path().filename());
    if (folder == u"." || folder == u"..")
        return false;
    if (root.empty())
        return true;
    const std::filesystem::path normalRoot = root.lexically_normal();
    const std::filesystem::path relative = destination.lexically_normal().lexically_relative(normalRoot);
    if (relative.empty() || relative.is_absolute())
        return false;
    for (const auto &part : relative) {
        // The kept folder and work files are the program's own: nothing is placed among them.
        if (part == ".." || formats::io::isProgramName(part))
            return false;
    }
    return relative != ".";
}

std::optional<formats::TagChanges> tagChangesFor(catalog::CMetaDat &entry, TagPlan plan, int index, int count)
{
    if (!plan.any())
        return std::nullopt;
    if (plan.addArtist) {
        std::u16string title = ArtistTitle(entry);
        if (title.empty())
            plan.addArtist = false;
        else
            entry.Title = std::move(title);
    }
    if (plan.addComposer) {
        std::u16string title = ComposerTitle(entry);
        if (title.empty())
            plan.addComposer = false;
        else
            entry.Title = std::move(title);
    }
    if (!plan.any())
        return std::nullopt;
    const TagNumbers numbers = tagNumbers(plan.renumber, plan.step, index, count);
    return formats::TagChanges{entry.Title, entry.Artist, numbers.track, numbers.total, plan.removePictures};
}

} // namespace tunvale::output
