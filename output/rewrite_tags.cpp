#include "output/rewrite_tags.h"

#include "output/name_text.h"

namespace tunvale::output {

formats::WriteResult RewriteTags(const std::filesystem::path &path, const std::filesystem::path &named,
                                 const formats::TagChanges &changes, formats::io::WorkNames &names,
                                 const TagWriterOverride *override)
{
    const std::u16string extension = lowerExtension(pathToText(named.filename()));
    const formats::FormatRow *format = extension.empty() ? nullptr : formats::formatOfExtension(extension);
    if (format == nullptr || format->writeTags == nullptr)
        return formats::WriteResult::failure();
    if (override != nullptr && *override)
        return (*override)(*format, path, changes);
    return format->writeTags(path, changes, names);
}

} // namespace tunvale::output
