#include "output/place_file.h"

#include "catalog/records/catalog.h"
#include "formats/format_table.h"
#include "formats/io/work_files.h"
#include "output/file_copy.h"
#include "output/mp3_conversion.h"
#include "output/name_text.h"
#include "output/publish_file.h"
#include "output/rewrite_tags.h"
#include "output/system_error.h"
#include "output/title_builders.h"
#include "output/track_numbering.h"
#include "output/work_file.h"

#include <string>
#include <system_error>
#include <utility>

namespace tunvale::output {

namespace {

constexpr int kTagsNotRewritten = 82;

// Status colours of placement.
constexpr std::uint32_t kWorkingGreen = colour::kLightGreen;
constexpr std::uint32_t kErrorRed = colour::kRed;
constexpr std::uint32_t kTagFailurePink = colour::kLightRed;

void report(PlacementContext &context, std::u16string_view prefix, std::u16string_view value,
            std::u16string_view suffix, std::uint32_t colourValue)
{
    if (context.status == nullptr)
        return;
    std::u16string text(prefix);
    text += value;
    text += suffix;
    context.status->showStatus(text, colourValue);
}

// A destination must be one ordinary file name in a folder below the run's destination: the
// names come from tags, which may hold anything.
bool isSafeDestination(const PlacementContext &context, const std::filesystem::path &destination)
{
    const std::u16string name = pathToText(destination.filename());
    if (name.empty() || name == u"." || name == u"..")
        return false;
    const std::u16string folder = pathToText(destination.parent_path().filename());
    if (folder == u"." || folder == u"..")
        return false;
    if (context.destinationRoot.empty())
        return true;
    const std::filesystem::path root = context.destinationRoot.lexically_normal();
    const std::filesystem::path relative = destination.lexically_normal().lexically_relative(root);
    if (relative.empty() || relative.is_absolute())
        return false;
    for (const auto &part : relative) {
        // The kept folder and work files are the program's own: nothing is placed among them.
        if (part == ".." || formats::io::isProgramName(part))
            return false;
    }
    return relative != ".";
}

// The tag changes one placement asks for; the flags are cleared as rules drop them.
struct TagPlan {
    bool addArtist = false;
    bool addComposer = false;
    bool fromName = false;
    bool renumber = false;
    bool removePictures = false;
    int step = 1;

    bool any() const { return removePictures || addComposer || addArtist || fromName || renumber; }
};

// The tag changes the plan asks of the file; the catalog entry's title takes the title the
// changes set (the run's record of the file). Failed when there is no catalog entry to take
// them from. Settled in placement order, before the file is written, so files written side by
// side never touch the catalog.
TagRequest tagRequest(PlacementContext &context, int index, int count, TagPlan plan)
{
    TagRequest request;
    if (!plan.any())
        return request;
    catalog::CMetaDat *entry = context.catalog != nullptr ? context.catalog->findByPath(context.sourcePath) : nullptr;
    if (entry == nullptr) {
        request.failed = true;
        return request;
    }
    if (plan.addArtist) {
        std::u16string title = ArtistTitle(*entry);
        if (title.empty())
            plan.addArtist = false;
        else
            entry->Title = std::move(title);
    }
    if (plan.addComposer) {
        std::u16string title = ComposerTitle(*entry);
        if (title.empty())
            plan.addComposer = false;
        else
            entry->Title = std::move(title);
    }
    if (!plan.any())
        return request;
    const TagNumbers numbers = tagNumbers(plan.renumber, plan.step, index, count);
    request.changes = formats::TagChanges{entry->Title, entry->Artist, numbers.track, numbers.total, plan.removePictures};
    return request;
}

} // namespace

int preparePlacement(int index, int count, PlacementContext &context, PlacementPlan &placement)
{
    context.failure = {};
    placement = PlacementPlan{};
    const PlacementOptions options = context.options;
    TagPlan plan;
    plan.addArtist = options.addArtist;
    plan.addComposer = options.addComposer;
    plan.fromName = options.tagsFromName;
    plan.renumber = options.alphaTrack;
    plan.removePictures = options.removePictures;
    plan.step = options.trackStep > 1 ? options.trackStep : 1;
    const int step = plan.step;

    // The two special folders are recognised by the name of the destination's folder.
    const std::u16string folderName = pathToText(context.destinationPath.parent_path().filename());
    if (equalsIgnoreCase(folderName, u"Undefined")) {
        plan.addArtist = false;
        plan.addComposer = false;
        plan.fromName = false;
        plan.renumber = false;
    } else if (equalsIgnoreCase(folderName, u"Miscellaneous")) {
        std::int32_t localCounter = 0;
        std::int32_t &counter = context.miscellaneousFiles != nullptr ? *context.miscellaneousFiles : localCounter;
        const int m = ++counter;
        if (plan.renumber) {
            index = m;
            count = 0;
        }
        if (options.newFileNames) {
            const std::u16string fileName = pathToText(context.destinationPath.filename());
            const std::size_t extensionSize = lowerExtension(fileName).size();
            const std::u16string stem = fileName.substr(0, fileName.size() - extensionSize);
            const std::u16string renamed = renumberMiscellaneousName(stem, m, step);
            if (renamed != stem) {
                context.destinationPath = context.destinationPath.parent_path()
                    / pathFromText(renamed + fileName.substr(fileName.size() - extensionSize));
            }
        }
    }

    const std::u16string sourceName = pathToText(context.sourcePath.filename());
    if (!isSafeDestination(context, context.destinationPath)) {
        report(context, u"Could not Copy: ", sourceName, u"", kErrorRed);
        return copy_error::kInvalidName;
    }

    // A format that is never converted (MP3) is copied; anything else goes to the encoder,
    // which refuses what it cannot read.
    placement.format = formats::formatOfExtension(lowerExtension(sourceName));
    const bool keptAsItIs = placement.format != nullptr && placement.format->openPcm == nullptr;
    placement.converting = options.mp3Convert && !keptAsItIs;
    if (placement.converting) {
        context.destinationPath.replace_extension(".mp3");
        context.failure.conversion = true;
    }
    placement.request = tagRequest(context, index, count, plan);
    return 0;
}

int writePlacement(PlacementContext &context, PlacementPlan &placement)
{
    // The file is written, and retagged, under a work name; only the finished file takes its
    // final name, so no name ever shows a partial or untagged file, even after a crash.
    const std::u16string sourceName = pathToText(context.sourcePath.filename());
    if (placement.converting) {
        report(context, u"BE PATIENT! Converting to mp3: ", sourceName, u"", kWorkingGreen);
        const int result = ConvertToMp3WorkFile(context, placement.work);
        if (result != 0) {
            report(context, u"Could not convert ", pathToText(context.sourcePath), u" to mp3", kErrorRed);
            return result;
        }
        placement.tagsWritten = retagWorkFile(context, placement.work, placement.request);
        return 0;
    }
    // Written once: retagged on the way where the format allows it.
    report(context, u"Copying: ", sourceName, u"", kWorkingGreen);
    const int result = writeWorkFile(context, placement.format, placement.request, placement.work,
                                     placement.tagsWritten, placement.written);
    if (result != 0) {
        report(context, u"Could not Copy: ", sourceName, u"", kErrorRed);
        return result;
    }
    return 0;
}

int publishPlacement(PlacementContext &context, PlacementPlan &placement)
{
    const TakenName whenTaken = context.options.fileReplace ? TakenName::KeepAside : TakenName::NextIteration;
    const std::filesystem::path work = std::exchange(placement.work, {});
    if (const int result = publishWorkFile(context, work, whenTaken, kMaxIterations, placement.written); result != 0) {
        if (placement.converting) {
            report(context, u"Could not convert ", pathToText(context.sourcePath), u" to mp3", kErrorRed);
            return conversion::kNoFileCreated;
        }
        report(context, u"Could not Copy: ", pathToText(context.sourcePath.filename()), u"", kErrorRed);
        return result;
    }
    if (placement.tagsWritten)
        return 0;
    report(context, u"Could not Modify Tags for File ", pathToText(context.destinationPath), u"", kTagFailurePink);
    context.failure.writtenWithoutTags = true;
    return kTagsNotRewritten;
}

void discardPlacement(PlacementPlan &placement)
{
    if (placement.work.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove(placement.work, ignored);
    placement.work.clear();
}

int PlaceFile(int index, int count, PlacementContext &context)
{
    PlacementPlan placement;
    if (const int result = preparePlacement(index, count, context, placement))
        return result;
    if (const int result = writePlacement(context, placement))
        return result;
    return publishPlacement(context, placement);
}

} // namespace tunvale::output
