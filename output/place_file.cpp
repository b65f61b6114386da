#include "output/place_file.h"

#include "output/placement_plan.h"

#include "catalog/records/catalog.h"
#include "catalog/text/codepage.h"
#include "formats/format_table.h"
#include "formats/io/work_files.h"
#include "output/file_copy.h"
#include "output/mp3_conversion.h"
#include "output/name_text.h"
#include "output/publish_file.h"
#include "output/rewrite_tags.h"
#include "output/system_error.h"
#include "output/work_file.h"

#include <optional>
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
constexpr std::uint32_t kNoticeYellow = colour::kYellow;

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

// The tag changes the plan asks of the file; the catalog entry's title takes the title the
// changes set (the run's record of the file). Failed when there is no catalog entry to take
// them from. Settled in placement order, before the file is written, so files written side by
// side never touch the catalog.
TagRequest tagRequest(PlacementContext &context, const PlacementDecision &decision)
{
    TagRequest request;
    if (!decision.tags.any())
        return request;
    catalog::CMetaDat *entry = context.catalog != nullptr ? context.catalog->findByPath(context.sourcePath) : nullptr;
    if (entry == nullptr) {
        request.failed = true;
        return request;
    }
    request.changes = tagChangesFor(*entry, decision.tags, decision.index, decision.count);
    return request;
}

} // namespace

int preparePlacement(int index, int count, PlacementContext &context, PlacementPlan &placement)
{
    context.failure = {};
    context.notice.clear();
    placement = PlacementPlan{};
    PlacementDecision decision = decidePlacement(index, count, context.options, context.sourcePath,
                                                 context.destinationPath, context.miscellaneousFiles);
    context.destinationPath = std::move(decision.destination);

    const std::u16string sourceName = pathToText(context.sourcePath.filename());
    if (!isSafeDestination(context.destinationRoot, context.destinationPath)) {
        report(context, u"Could not Copy: ", sourceName, u"", kErrorRed);
        return copy_error::kInvalidName;
    }

    placement.format = formats::formatOfExtension(lowerExtension(sourceName));
    placement.converting = decision.converting;
    placement.copyDestination = context.destinationPath;
    if (placement.converting) {
        context.destinationPath.replace_extension(".mp3");
        context.failure.conversion = true;
    }
    placement.request = tagRequest(context, decision);
    return 0;
}

int writePlacement(PlacementContext &context, PlacementPlan &placement)
{
    // The file is written, and retagged, under a work name; only the finished file takes its
    // final name, so no name ever shows a partial or untagged file, even after a crash.
    const std::u16string sourceName = pathToText(context.sourcePath.filename());
    if (placement.converting) {
        report(context, u"BE PATIENT! Converting to mp3: ", sourceName, u"", kWorkingGreen);
        std::string reason;
        const int result = ConvertToMp3WorkFile(context, placement.work, &reason);
        if (result == 0) {
            placement.tagsWritten = retagWorkFile(context, placement.work, placement.request);
            return 0;
        }
        if (result != conversion::kNoUsableAudio) {
            report(context, u"Could not convert ", pathToText(context.sourcePath), u" to mp3", kErrorRed);
            return result;
        }
        // Audio the encoder cannot take: the file is placed as it is rather than left out.
        placement.converting = false;
        context.failure.conversion = false;
        context.destinationPath = placement.copyDestination;
        context.notice = u"Copied as it is, not converted to mp3 (" + text::utf8ToUtf16(reason) + u")";
        report(context, u"Not converted, copying: ", sourceName, u"", kNoticeYellow);
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
