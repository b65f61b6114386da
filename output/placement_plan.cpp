#include "output/placement_plan.h"

#include "formats/format_table.h"
#include "formats/io/work_files.h"
#include "output/name_text.h"
#include "output/title_builders.h"
#include "output/track_numbering.h"

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace tunvale::output {

namespace {

// What placement builds is spelled root, a separator, then a folder and a file name that are
// plain names: such a path is answered from its spelling alone, without normalizing both paths
// (which costs more than the rest of planning a file). Any other spelling gets no answer here.
std::optional<bool> safetyFromSpelling(const std::filesystem::path &root, const std::filesystem::path &destination)
{
    const PathText rootText = root.native();
    const PathText text = destination.native();
    if (rootText.empty() || isPathSeparator(rootText.back()) || text.size() <= rootText.size() + 1 ||
        text.substr(0, rootText.size()) != rootText || !isPathSeparator(text[rootText.size()]))
        return std::nullopt;
    std::size_t parts = 0;
    for (std::size_t start = rootText.size() + 1; start <= text.size(); ++parts) {
        std::size_t end = start;
        while (end < text.size() && !isPathSeparator(text[end]))
            ++end;
        const PathText part = text.substr(start, end - start);
        const bool dots = (part.size() == 1 || part.size() == 2) && part.find_first_not_of(PathText::value_type('.')) == PathText::npos;
        if (part.empty() || dots || formats::io::isProgramSpelling(part))
            return std::nullopt;
        start = end + 1;
    }
    if (parts < 2)
        return std::nullopt;
    return true;
}

enum class SpecialFolder { None, Undefined, Miscellaneous };

// ASCII case-insensitive equality of a spelled name and an ASCII name: a character outside
// ASCII never folds to an ASCII letter (as equalsIgnoreCase folds), so the spelling must be the
// name's own letters.
bool spelledAs(PathText spelled, std::u16string_view name)
{
    if (spelled.size() != name.size())
        return false;
    const auto lower = [](char32_t c) { return c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c; };
    for (std::size_t i = 0; i < spelled.size(); ++i) {
        const auto unit = static_cast<char32_t>(static_cast<std::make_unsigned_t<PathText::value_type>>(spelled[i]));
        if (unit >= 0x80 || lower(unit) != lower(name[i]))
            return false;
    }
    return true;
}

// Which special folder holds destination's file, known by the folder's name ignoring case. Read
// from the spelling of a path that ends in "folder/name" (building the parent path copies every
// component before it); any other spelling goes through parent_path().
SpecialFolder specialFolderOf(const std::filesystem::path &destination)
{
    const PathText text = destination.native();
    const std::size_t end = lastComponentStart(text);
    const std::size_t start = end > 0 ? lastComponentStart(text.substr(0, end - 1)) : 0;
    if (end < 2 || end == text.size() || isPathSeparator(text[end - 2]) || start == 0) {
        const std::u16string folder = pathToText(destination.parent_path().filename());
        if (equalsIgnoreCase(folder, u"Undefined"))
            return SpecialFolder::Undefined;
        return equalsIgnoreCase(folder, u"Miscellaneous") ? SpecialFolder::Miscellaneous : SpecialFolder::None;
    }
    const PathText folder = text.substr(start, end - 1 - start);
    if (spelledAs(folder, u"Undefined"))
        return SpecialFolder::Undefined;
    return spelledAs(folder, u"Miscellaneous") ? SpecialFolder::Miscellaneous : SpecialFolder::None;
}

} // namespace

PlacementDecision decidePlacement(int index, int count, const PlacementOptions &options,
                                  const std::filesystem::path &source, std::filesystem::path wanted,
                                  std::int32_t *miscellaneousFiles)
{
    PlacementDecision decision;
    decision.destination = std::move(wanted);
    const std::filesystem::path &destination = decision.destination;
    decision.index = index;
    decision.count = count;
    TagPlan &plan = decision.tags;
    plan.addArtist = options.addArtist;
    plan.addComposer = options.addComposer;
    plan.fromName = options.tagsFromName;
    plan.renumber = options.alphaTrack;
    plan.removePictures = options.removePictures;
    plan.step = options.trackStep > 1 ? options.trackStep : 1;

    const SpecialFolder special = specialFolderOf(destination);
    if (special == SpecialFolder::Undefined) {
        plan.addArtist = false;
        plan.addComposer = false;
        plan.fromName = false;
        plan.renumber = false;
    } else if (special == SpecialFolder::Miscellaneous) {
        std::int32_t localCounter = 0;
        std::int32_t &counter = miscellaneousFiles != nullptr ? *miscellaneousFiles : localCounter;
        const int m = ++counter;
        if (plan.renumber) {
            decision.index = m;
            decision.count = 0;
        }
        if (options.newFileNames) {
            const std::u16string fileName = fileNameText(destination);
            const std::size_t extensionSize = lowerExtension(fileName).size();
            const std::u16string stem = fileName.substr(0, fileName.size() - extensionSize);
            const std::u16string renamed = renumberMiscellaneousName(stem, m, plan.step);
            if (renamed != stem) {
                std::filesystem::path renamedPath =
                    destination.parent_path() / pathFromText(renamed + fileName.substr(fileName.size() - extensionSize));
                decision.destination = std::move(renamedPath);
            }
        }
    }

    // A format that is never converted (MP3) is copied; anything else goes to the encoder,
    // which refuses what it cannot read.
    const std::u16string sourceName = fileNameText(source);
    const formats::FormatRow *format = formats::formatOfExtension(lowerExtension(sourceName));
    const bool keptAsItIs = format != nullptr && format->openPcm == nullptr;
    decision.converting = options.mp3Convert && !keptAsItIs;
    return decision;
}

bool isSafeDestination(const std::filesystem::path &root, const std::filesystem::path &destination)
{
    if (const std::optional<bool> answer = safetyFromSpelling(root, destination))
        return *answer;
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
