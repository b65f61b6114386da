// tunvale-cli inspect: what each file's loader reads and what catalog entry it makes.
#include "cli/commands.h"

#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"
#include "catalog/records/load_refusal.h"
#include "catalog/text/codepage.h"
#include "engine/path_text.h"
#include "engine/run_hooks.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace tunvale::cli {

namespace fs = std::filesystem;

namespace {

std::string utf8(const catalog::TagTextField &field) { return text::cp1252ToUtf8(field.view()); }

nlohmann::ordered_json tagsJson(const catalog::CurrentTags &tags)
{
    return {
        {"Title", utf8(tags.Title)},
        {"Subtitle", utf8(tags.Subtitle)},
        {"Album", utf8(tags.Album)},
        {"Artist", utf8(tags.Artist)},
        {"AlbumArtist", utf8(tags.AlbumArtist)},
        {"Performer", utf8(tags.Performer)},
        {"Composer", utf8(tags.Composer)},
        {"Comment", utf8(tags.Comment)},
        {"Publisher", utf8(tags.Publisher)},
        {"Encoder", utf8(tags.Encoder)},
        {"Genre", utf8(tags.Genre)},
        {"Year", tags.Year},
        {"Track", tags.Track},
        {"TrackTotal", tags.TrackTotal},
        {"Disc", tags.Disc},
        {"DiscTotal", tags.DiscTotal},
        {"Rating", tags.Rating},
        {"FillScore", tags.FillScore},
    };
}

nlohmann::ordered_json entryJson(const catalog::CMetaDat &entry)
{
    nlohmann::ordered_json words = nlohmann::ordered_json::array();
    for (std::int32_t i = 0; i < entry.KeyWordCount && i < static_cast<std::int32_t>(entry.KeyWords.size()); ++i)
        words.push_back(text::cp1252ToUtf8(entry.KeyWords[static_cast<std::size_t>(i)]));
    return {
        {"GroupName", text::utf16ToUtf8(entry.GroupName)},
        {"Artist", text::utf16ToUtf8(entry.Artist)},
        {"Composer", text::utf16ToUtf8(entry.Composer)},
        {"Title", text::utf16ToUtf8(entry.Title)},
        {"TrackText", text::utf16ToUtf8(entry.TrackText)},
        {"KeyWords", words},
    };
}

} // namespace

int runInspect(const InspectArguments &arguments)
{
    const engine::RunHooks hooks = engine::standardHooks();
    const int criterionCode = engine::criterionCodeFor(arguments.options.tagId);
    const catalog::LoadOptions loadOptions = arguments.options.loadOptions();
    nlohmann::ordered_json report = nlohmann::ordered_json::array();
    bool allLoaded = true;

    for (const std::string &argument : arguments.files) {
        const fs::path path = engine::pathFromUtf8(argument);
        catalog::resetTagRecords();
        catalog::catalog().clear();

        const engine::LoaderEntry *loader = nullptr;
        const std::u16string extension = engine::findExtension(path);
        for (const engine::LoaderEntry &candidate : hooks.loaders) {
            if (engine::equalsIgnoringAsciiCase(extension, candidate.extension)) {
                loader = &candidate;
                break;
            }
        }
        catalog::loadRefusal().clear();
        const int status = loader ? loader->load(path, criterionCode, loadOptions) : -1;
        nlohmann::ordered_json item = {{"path", argument}};
        // Loaded means the loader said so and its entry is there.
        if (status == 0 && !catalog::catalog().empty()) {
            item["loaded"] = true;
            item["tags"] = tagsJson(catalog::currentTags());
            item["entry"] = entryJson(catalog::catalog().at(catalog::catalog().size() - 1));
        } else {
            allLoaded = false;
            item["loaded"] = false;
            // Why the loader refused the file, and its code. No loader for the extension: both
            // null rather than a code no loader returned.
            item["status"] = loader ? nlohmann::ordered_json(engine::refusalReason(status)) : nlohmann::ordered_json(nullptr);
            item["code"] = loader ? nlohmann::ordered_json(status) : nlohmann::ordered_json(nullptr);
            item["entry"] = nullptr;
        }
        report.push_back(std::move(item));
    }
    catalog::resetTagRecords();
    catalog::catalog().clear();

    std::printf("%s\n", report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    std::fflush(stdout);
    return allLoaded ? exit_code::kDone : exit_code::kError;
}

} // namespace tunvale::cli
