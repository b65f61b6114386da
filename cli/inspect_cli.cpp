// tunvale-cli inspect: what each file's loader reads and what catalog entry it makes.
#include "cli/commands.h"

#include "catalog/records/catalog.h"
#include "catalog/records/current_tags.h"
#include "catalog/text/codepage.h"
#include "engine/session/path_text.h"
#include "engine/session/run_options.h"
#include "engine/load/track_loading.h"
#include "formats/format_table.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace tunvale::cli {

namespace fs = std::filesystem;

namespace {

std::string utf8(const catalog::TagTextField &field) { return field.str(); }

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
        words.push_back(entry.KeyWords[static_cast<std::size_t>(i)]);
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
    const int criterionCode = engine::criterionCodeFor(arguments.options.tagId);
    const catalog::LoadOptions loadOptions = arguments.options.loadOptions();
    nlohmann::ordered_json report = nlohmann::ordered_json::array();
    bool allLoaded = true;

    for (const std::string &argument : arguments.files) {
        const fs::path path = engine::pathFromUtf8(argument);
        const formats::FormatRow *format = formats::formatOfExtension(engine::findExtension(path));
        catalog::Catalog entries;
        formats::TrackRead read;
        const formats::ReadResult status = format
            ? engine::loadTrack(*format, path, criterionCode, loadOptions, entries, read)
            : formats::ReadResult::failure(formats::ReadStatus::Unsupported);
        nlohmann::ordered_json item = {{"path", argument}};
        // Loaded means the reader took the file and its entry is there.
        if (status.ok() && !entries.empty()) {
            item["loaded"] = true;
            item["tags"] = tagsJson(read.tags);
            item["entry"] = entryJson(entries.at(entries.size() - 1));
        } else {
            allLoaded = false;
            item["loaded"] = false;
            // The reader's status, the same for the same cause in every format, with its code
            // and what the skipped list shows. No reader for the extension: all three null.
            item["status"] =
                format ? nlohmann::ordered_json(formats::statusName(status.status)) : nlohmann::ordered_json(nullptr);
            item["code"] =
                format ? nlohmann::ordered_json(static_cast<int>(status.status)) : nlohmann::ordered_json(nullptr);
            item["reason"] =
                format ? nlohmann::ordered_json(formats::statusText(status)) : nlohmann::ordered_json(nullptr);
            item["entry"] = nullptr;
        }
        report.push_back(std::move(item));
    }

    std::printf("%s\n", report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    std::fflush(stdout);
    return allLoaded ? exit_code::kDone : exit_code::kError;
}

} // namespace tunvale::cli
