#include "output/place_file.h"

#include "output/placement_plan.h"

#include "catalog/records/catalog.h"
#include "formats/io/work_files.h"
#include "output/file_copy.h"
#include "output/mp3_conversion.h"
#include "output/name_text.h"
#include "output/publish_file.h"
#include "output/rewrite_tags.h"
#include "output/system_error.h"

#include <optional>
#include <string>

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

// Rewrites the tags of the written file (still under its work name) when the plan asks for
// it; false when they could not be rewritten (no catalog entry, or the writer failed).
bool rewriteTags(PlacementContext &context, const std::filesystem::path &work, int index, int count, TagPlan plan)
{
    if (!plan.any())
        return true;
    catalog::CMetaDat *entry = context.catalog != nullptr ? context.catalog->findByPath(context.sourcePath) : nullptr;
    if (entry == nullptr)
        return false;
    const std::optional<formats::TagChanges> changes = tagChangesFor(*entry, plan, index, count);
    if (!changes)
        return true;
    const formats::WriteResult written =
        RewriteTags(work, context.destinationPath, *changes, context.names(), context.tagWriter);
    if (written.written)
        return true;
    if (written.systemError != 0)
        context.failure.systemError = systemErrorCode(written.systemError);
    return false;
}

// Copies the source into a new work file beside the destination; 0 or a copy_error code.
int copyToWorkFile(PlacementContext &context, std::filesystem::path &work)
{
    work = context.names().beside(context.destinationPath);
    const int result = copyFile(context.sourcePath, work, true, context.cancel);
    if (result != 0)
        work.clear();
    return result;
}

} // namespace

int PlaceFile(int index, int count, PlacementContext &context)
{
    context.failure = {};
    const PlacementOptions options = context.options;
    const bool replace = options.fileReplace;
    const PlacementDecision decision = decidePlacement(index, count, options, context.sourcePath,
                                                       context.destinationPath, context.miscellaneousFiles);
    context.destinationPath = decision.destination;

    const std::u16string sourceName = pathToText(context.sourcePath.filename());
    if (!isSafeDestination(context.destinationRoot, context.destinationPath)) {
        report(context, u"Could not Copy: ", sourceName, u"", kErrorRed);
        return copy_error::kInvalidName;
    }

    // The file is written, and retagged, under a work name; only the finished file takes its
    // final name, so no name ever shows a partial or untagged file, even after a crash.
    const bool converting = decision.converting;
    std::filesystem::path work;
    if (converting) {
        context.destinationPath.replace_extension(".mp3");
        context.failure.conversion = true;
        report(context, u"BE PATIENT! Converting to mp3: ", sourceName, u"", kWorkingGreen);
        const int result = ConvertToMp3WorkFile(context, work);
        if (result != 0) {
            report(context, u"Could not convert ", pathToText(context.sourcePath), u" to mp3", kErrorRed);
            return result;
        }
    } else {
        report(context, u"Copying: ", sourceName, u"", kWorkingGreen);
        const int result = copyToWorkFile(context, work);
        if (result != 0) {
            report(context, u"Could not Copy: ", sourceName, u"", kErrorRed);
            return result;
        }
        clearReadOnly(work);
    }

    const bool tagsWritten = rewriteTags(context, work, decision.index, decision.count, decision.tags);

    const TakenName whenTaken = replace ? TakenName::KeepAside : TakenName::NextIteration;
    if (const int result = publishWorkFile(context, work, whenTaken); result != 0) {
        if (converting) {
            report(context, u"Could not convert ", pathToText(context.sourcePath), u" to mp3", kErrorRed);
            return conversion::kNoFileCreated;
        }
        report(context, u"Could not Copy: ", sourceName, u"", kErrorRed);
        return result;
    }
    if (tagsWritten)
        return 0;
    report(context, u"Could not Modify Tags for File ", pathToText(context.destinationPath), u"", kTagFailurePink);
    context.failure.writtenWithoutTags = true;
    return kTagsNotRewritten;
}

} // namespace tunvale::output
