// tunvale-cli: the organizer from the command line.
//   tunvale-cli organize SOURCE DEST [options]
//   tunvale-cli inspect [options] FILE...
//   tunvale-cli undo [--everything] [JOURNAL] | undo --list
#include "cli/commands.h"
#include "cli/undo_cli.h"
#include "formats/format_table.h"

#include <CLI/CLI.hpp>

#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace tunvale;

namespace {

// "mp3,flac" to the formats' flags (the names of the format table); false on an unknown name.
bool setFormats(const std::string &list, engine::RunOptions &options)
{
    options.formatFlags.setAll(0);
    std::stringstream stream(list);
    std::string name;
    bool any = false;
    while (std::getline(stream, name, ',')) {
        const formats::FormatRow *format = formats::findFormat(name);
        if (format == nullptr)
            return false;
        options.formatFlags.of(*format) = 1;
        any = true;
    }
    return any;
}

// The formats converted to MP3, by their names in capitals: "FLAC, WAV and AIFF".
std::string convertedFormats()
{
    std::vector<std::string> names;
    for (const formats::FormatRow &format : formats::formatTable()) {
        if (format.openPcm == nullptr)
            continue;
        std::string name(format.id);
        for (char &c : name)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        names.push_back(name);
    }
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

// The names of the formats, joined by separator: every format, or those sorted at first start.
std::string formatNames(std::string_view separator, bool firstStartOnly)
{
    std::string names;
    for (const formats::FormatRow &format : formats::formatTable()) {
        if (firstStartOnly && format.enabledAtFirstStart == 0)
            continue;
        if (!names.empty())
            names += separator;
        names += format.id;
    }
    return names;
}

const std::map<std::string, int> kCriteria = {{"artist", engine::tag_id::kArtist}, {"album", engine::tag_id::kAlbum},
                                              {"genre", engine::tag_id::kGenre},   {"decade", engine::tag_id::kDecade},
                                              {"year", engine::tag_id::kYear}};
const std::map<std::string, int> kQualities = {{"standard", 0}, {"high", 1}, {"max", 2}};

// A --name/--no-name pair for one option flag, starting at its first-start default. Each flag
// acts as it is parsed, so of "--no-rename --rename" the last one counts.
void addSwitch(CLI::App &command, const std::string &name, std::int32_t &field, const std::string &help)
{
    command.add_flag_callback(
        "--" + name, [&field] { field = 1; }, help)->trigger_on_parse();
    command.add_flag_callback(
        "--no-" + name, [&field] { field = 0; }, "")->trigger_on_parse();
}

} // namespace

int main(int argc, char **argv)
{
    CLI::App app{"Tunvale: sorts audio files into folders by their tags"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("tunvale-cli ") + TUNVALE_VERSION, "Print the version and exit");

    cli::OrganizeArguments organize;
    std::string formatList = formatNames(",", true);
    std::string by = "artist";
    std::string quality = "high";
    int step = 1;
    CLI::App *organizeCommand = app.add_subcommand("organize", "Copy the audio files of SOURCE into folders under DEST");
    organizeCommand->add_option("SOURCE", organize.source, "Folder holding the audio files (at any depth)")->required();
    organizeCommand->add_option("DEST", organize.destination, "Folder receiving the sub-folders (created if missing)")->required();
    organizeCommand->add_option("--formats", formatList, "Comma list of " + formatNames(", ", false))
        ->capture_default_str();
    organizeCommand->add_option("--by", by, "Folder criterion")->check(CLI::IsMember({"artist", "album", "genre", "decade", "year"}))->capture_default_str();
    engine::RunOptions &o = organize.options;
    addSwitch(*organizeCommand, "group-isolated", o.groupIsolated, "Gather lone files in \"Miscellaneous\" (default on)");
    addSwitch(*organizeCommand, "similitudes", o.acceptSimilitudes, "Merge names that differ slightly (default on)");
    addSwitch(*organizeCommand, "replace", o.fileReplace, "Replace existing files instead of numbering (default off)");
    addSwitch(*organizeCommand, "rename", o.newFileNames, "Name the copies from their tags (default on)");
    addSwitch(*organizeCommand, "tags-from-name", o.tagsFromName, "Fill missing Title and Artist from the file name (default on)");
    addSwitch(*organizeCommand, "artist-in-title", o.addArtist, "Put the artist in head of the title (default on)");
    addSwitch(*organizeCommand, "composer-in-title", o.addComposer, "Add the composer to the title (default on)");
    addSwitch(*organizeCommand, "renumber", o.alphaTrack, "Renumber the tracks of each folder (default on)");
    addSwitch(*organizeCommand, "remove-pictures", o.removePictures, "Remove attached pictures (default off)");
    addSwitch(*organizeCommand, "convert", o.mp3Convert, "Convert " + convertedFormats() + " to MP3 (default off)");
    organizeCommand->add_option("--step", step, "Track number step")->check(CLI::IsMember({1, 10}))->capture_default_str();
    organizeCommand->add_option("--quality", quality, "MP3 quality of conversions")->check(CLI::IsMember({"standard", "high", "max"}))->capture_default_str();
    organizeCommand->add_option("--jobs", organize.jobs, "Conversions at once (default: one per hardware thread)")
        ->check(CLI::Range(1u, 256u));
    organizeCommand->add_flag("--json", organize.json,
                              "Print a JSON report instead of the summary line: the counts, the folders and files "
                              "created, \"skipped\" (each file or folder not taken, with its reason: unreadable, "
                              "not audio, damaged, format not handled, folder not readable, path too long) and "
                              "\"failed\" (each file whose placement failed, with the message). Without --json, "
                              "a line on stderr after the summary counts the skipped and failed files");
    organizeCommand->add_flag("-n,--dry-run", organize.dryRun,
                              "Show what the run would do and write nothing: each destination folder with the "
                              "spellings merged into it, each file with its new name (marked when converted, "
                              "replacing a file or numbered \"(n)\"), the files skipped and the summary; with "
                              "--json the same as {\"plan\", \"skipped\", \"summary\"} with each tag change");
    organizeCommand->add_flag_callback(
        "--plain",
        [&o] {
            o.newFileNames = 0;
            o.addArtist = 0;
            o.addComposer = 0;
            o.alphaTrack = 0;
            o.tagsFromName = 0;
        },
        "Only copy into folders: keep the file names, titles and track numbers, take no tags from the "
        "file names (the same as --no-rename --no-artist-in-title --no-composer-in-title --no-renumber "
        "--no-tags-from-name)")
        ->trigger_on_parse();

    cli::InspectArguments inspect;
    std::string inspectBy = "artist";
    CLI::App *inspectCommand = app.add_subcommand("inspect", "Show the tags and catalog entry each file's reader makes");
    inspectCommand->add_option("FILE", inspect.files, "Audio files")->required();
    inspectCommand->add_option("--by", inspectBy, "Criterion of the group key")->check(CLI::IsMember({"artist", "album", "genre", "decade", "year"}))->capture_default_str();
    addSwitch(*inspectCommand, "similitudes", inspect.options.acceptSimilitudes, "Similitude forms in the key (default on)");
    addSwitch(*inspectCommand, "tags-from-name", inspect.options.tagsFromName, "Fill missing Title and Artist from the file name (default on)");

    cli::UndoArguments undo;
    CLI::App *undoCommand = app.add_subcommand("undo", "Take back what the last organize run (or JOURNAL) created");
    undoCommand->add_option("JOURNAL", undo.journal, "A run journal (path or name, see --list)");
    undoCommand->add_flag("--everything", undo.everything, "Delete every entry of the folders the run created, not only its files");
    undoCommand->add_flag("--list", undo.list, "Show the recent runs");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp &e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion &e) {
        return app.exit(e);
    } catch (const CLI::ParseError &e) {
        app.exit(e);
        return cli::exit_code::kRefused;
    }

    if (organizeCommand->parsed()) {
        if (!setFormats(formatList, o)) {
            std::fprintf(stderr, "--formats: give a comma list of %s\n", formatNames(", ", false).c_str());
            return cli::exit_code::kRefused;
        }
        o.tagId = kCriteria.at(by);
        o.mp3Quality = kQualities.at(quality);
        o.trackStep = step;
        return cli::runOrganize(organize);
    }
    if (undoCommand->parsed())
        return cli::runUndo(undo);
    inspect.options.tagId = kCriteria.at(inspectBy);
    return cli::runInspect(inspect);
}
