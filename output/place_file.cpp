#include "output/place_file.h"

#include "catalog/records/catalog.h"
#include "formats/audio/write_error.h"
#include "output/file_copy.h"
#include "output/mp3_conversion.h"
#include "output/name_text.h"
#include "output/rewrite_tags.h"
#include "output/system_error.h"
#include "output/title_builders.h"
#include "output/track_numbering.h"

#include <string>

namespace tunvale::output {

namespace {

constexpr int kTagsNotRewritten = 82;
constexpr int kMaxIterations = 63;

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

bool isCollision(int error)
{
    return error == copy_error::kFileExists || error == copy_error::kAlreadyExists
        || error == copy_error::kAccessDenied;
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
        if (part == "..")
            return false;
    }
    return relative != ".";
}

// Name(n).ext for a destination whose name is taken: the extension in lower case, the name
// shortened when the suffix would take the component past the file system's limit. On POSIX
// the name's own bytes are kept (a name need not be valid UTF-8 there).
std::filesystem::path iterationPath(const std::filesystem::path &destination, int n)
{
#ifdef _WIN32
    const std::u16string fileName = pathToText(destination.filename());
    const std::u16string extension = lowerExtension(fileName);
    std::u16string stem = fileName.substr(0, fileName.size() - extension.size());
    std::u16string suffix = u"(" + pathToText(std::to_string(n)) + u")" + extension;
    const std::size_t suffixBytes = utf8Length(suffix);
    if (utf8Length(stem) + suffixBytes > kMaxComponentBytes)
        stem = std::u16string(utf8Prefix(stem, kMaxComponentBytes - suffixBytes));
    return destination.parent_path() / pathFromText(stem + suffix);
#else
    const std::string fileName = destination.filename().native();
    const std::size_t dot = fileName.rfind('.');
    const std::size_t extensionSize = dot == std::string::npos || dot == 0 ? 0 : fileName.size() - dot;
    std::string stem = fileName.substr(0, fileName.size() - extensionSize);
    std::string suffix = "(" + std::to_string(n) + ")" + fileName.substr(stem.size());
    for (std::size_t i = suffix.size() - extensionSize; i < suffix.size(); ++i) {
        if (suffix[i] >= 'A' && suffix[i] <= 'Z')
            suffix[i] = static_cast<char>(suffix[i] + ('a' - 'A'));
    }
    if (stem.size() + suffix.size() > kMaxComponentBytes) {
        std::size_t cut = kMaxComponentBytes - suffix.size();
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
            --cut;   // never inside a UTF-8 sequence
        stem.resize(cut);
    }
    return destination.parent_path() / (stem + suffix);
#endif
}

// A name that holds one of the run's sources is never replaced: that file is only read, and
// may still be waiting to be read. It counts as taken, as without replace.
bool mayReplace(const PlacementContext &context, const std::filesystem::path &target, bool replace)
{
    return replace && !(context.runSources != nullptr && context.runSources->holds(target));
}

// Copies, resolving a taken name by iterations Name(1).ext to Name(63).ext; on success the
// destination path names the file written.
int copyWithIterations(PlacementContext &context, bool replace)
{
    int result = copyFile(context.sourcePath, context.destinationPath,
                          !mayReplace(context, context.destinationPath, replace), context.cancel);
    if (result == 0 || !isCollision(result))
        return result;
    for (int n = 1; n <= kMaxIterations; ++n) {
        const std::filesystem::path candidate = iterationPath(context.destinationPath, n);
        result = copyFile(context.sourcePath, candidate, !mayReplace(context, candidate, replace), context.cancel);
        if (result == 0) {
            context.destinationPath = candidate;
            return 0;
        }
        // Only a taken or locked name is worth another iteration.
        if (!isCollision(result))
            return result;
    }
    return result;
}

} // namespace

int PlaceFile(int index, int count, PlacementContext &context)
{
    context.failure = {};
    const PlacementOptions options = context.options;
    const bool replace = options.fileReplace;
    const bool convert = options.mp3Convert;
    bool addArtist = options.addArtist;
    bool addComposer = options.addComposer;
    bool fromName = options.tagsFromName;
    bool renumber = options.alphaTrack;
    const bool removePictures = options.removePictures;
    const int step = options.trackStep > 1 ? options.trackStep : 1;

    // The two special folders are recognised by the name of the destination's folder.
    const std::u16string folderName = pathToText(context.destinationPath.parent_path().filename());
    if (equalsIgnoreCase(folderName, u"Undefined")) {
        addArtist = false;
        addComposer = false;
        fromName = false;
        renumber = false;
    } else if (equalsIgnoreCase(folderName, u"Miscellaneous")) {
        std::int32_t localCounter = 0;
        std::int32_t &counter = context.miscellaneousFiles != nullptr ? *context.miscellaneousFiles : localCounter;
        const int m = ++counter;
        if (renumber) {
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

    if (convert && lowerExtension(sourceName) != u".mp3") {
        context.destinationPath.replace_extension(".mp3");
        context.failure.conversion = true;
        report(context, u"BE PATIENT! Converting to mp3: ", sourceName, u"", kWorkingGreen);
        const int result = ConvertToMp3(context, mayReplace(context, context.destinationPath, replace));
        if (result != 0) {
            report(context, u"Could not convert ", pathToText(context.sourcePath), u" to mp3", kErrorRed);
            return result;
        }
    } else {
        report(context, u"Copying: ", sourceName, u"", kWorkingGreen);
        const int result = copyWithIterations(context, replace);
        if (result != 0) {
            report(context, u"Could not Copy: ", sourceName, u"", kErrorRed);
            return result;
        }
        clearReadOnly(context.destinationPath);
    }

    const bool rewrite = removePictures || addComposer || addArtist || fromName || renumber;
    if (!rewrite)
        return 0;

    catalog::Catalog &entries = context.catalog != nullptr ? *context.catalog : catalog::catalog();
    catalog::CMetaDat *entry = entries.findByPath(context.sourcePath);
    if (entry != nullptr) {
        if (addArtist) {
            std::u16string title = ArtistTitle(*entry);
            if (title.empty())
                addArtist = false;
            else
                entry->Title = std::move(title);
        }
        if (addComposer) {
            std::u16string title = ComposerTitle(*entry);
            if (title.empty())
                addComposer = false;
            else
                entry->Title = std::move(title);
        }
        if (!(removePictures || addComposer || fromName || addArtist || renumber))
            return 0;
        const TagNumbers numbers = tagNumbers(renumber, step, index, count);
        formats::takeWriteError();
        if (RewriteTags(context.destinationPath, entry->Title, entry->Artist, numbers.track, numbers.total,
                        removePictures)
            != 0)
            return 0;
        if (const int error = formats::takeWriteError())
            context.failure.systemError = systemErrorCode(error);
    }
    report(context, u"Could not Modify Tags for File ", pathToText(context.destinationPath), u"", kTagFailurePink);
    context.failure.writtenWithoutTags = true;
    return kTagsNotRewritten;
}

} // namespace tunvale::output
