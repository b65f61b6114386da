#include "output/work_file.h"

#include "formats/audio/binary_file.h"
#include "output/file_copy.h"
#include "output/rewrite_tags.h"
#include "output/system_error.h"
#include "output/work_copy.h"

namespace tunvale::output {

namespace {

int openError(formats::OpenError error)
{
    switch (error) {
    case formats::OpenError::NotFound: return copy_error::kFileNotFound;
    case formats::OpenError::NotRegular:
    case formats::OpenError::Denied: return copy_error::kAccessDenied;
    default: return copy_error::kGeneralFailure;
    }
}

// The copy first, then the format's writer on it.
int copyThenRetag(PlacementContext &context, const TagRequest &request, std::filesystem::path &work,
                  bool &tagsWritten)
{
    work = context.names().beside(context.destinationPath);
    if (const int result = copyFile(context.sourcePath, work, true, context.cancel); result != 0) {
        work.clear();
        return result;
    }
    clearReadOnly(work);
    tagsWritten = retagWorkFile(context, work, request);
    return 0;
}

} // namespace

bool retagWorkFile(PlacementContext &context, const std::filesystem::path &work, const TagRequest &request)
{
    if (!request.any())
        return true;
    if (request.failed)
        return false;
    const formats::WriteResult written =
        RewriteTags(work, context.destinationPath, *request.changes, context.names(), context.tagWriter);
    if (written.written)
        return true;
    if (written.systemError != 0)
        context.failure.systemError = systemErrorCode(written.systemError);
    return false;
}

int writeWorkFile(PlacementContext &context, const formats::FormatRow *format, const TagRequest &request,
                  std::filesystem::path &work, bool &tagsWritten, formats::io::FileIdentity &identity)
{
    tagsWritten = true;
    identity = {};
    const bool standIn = context.tagWriter != nullptr && *context.tagWriter;
    const bool retag = request.changes.has_value() && !request.failed;
    // A format without a planner (or a stand-in writer) has its copy retagged afterwards.
    if (format == nullptr || (retag && (standIn || format->planTags == nullptr)))
        return copyThenRetag(context, request, work, tagsWritten);

    formats::BinaryFile source;
    if (!source.open(context.sourcePath, formats::BinaryFile::Mode::Read))
        return openError(source.openError());
    formats::RetagPlan plan = formats::RetagPlan::unchanged();
    if (request.failed)
        plan = formats::RetagPlan::failed();
    else if (retag)
        plan = format->planTags(context.sourcePath, source, *request.changes);
    work = context.names().beside(context.destinationPath);
    const int result = writeWorkCopy(source, plan, work, context.copies(), context.cancel, identity);
    if (result != 0) {
        work.clear();
        return result;
    }
    tagsWritten = plan.outcome != formats::RetagPlan::Outcome::Failed;
    return 0;
}

} // namespace tunvale::output
