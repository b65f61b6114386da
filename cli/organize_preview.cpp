// tunvale-cli organize --dry-run: the plan of the run, as text or JSON; nothing is written.
#include "cli/commands.h"
#include "cli/report_json.h"

#include "catalog/text/codepage.h"
#include "engine/plan/organize_plan.h"
#include "engine/session/path_text.h"
#include "engine/session/run_report.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

namespace tunvale::cli {

namespace fs = std::filesystem;

namespace {

// A path below base is shown from base; any other in full.
std::string shown(const fs::path &path, const fs::path &base)
{
    const fs::path relative = path.lexically_relative(base);
    if (relative.empty() || *relative.begin() == "..")
        return engine::pathToUtf8(path);
    return engine::pathToUtf8(relative);
}

std::string marks(const engine::PlannedFile &file)
{
    std::string text;
    const auto add = [&](bool on, const char *word) {
        if (on)
            text += (text.empty() ? "" : ", ") + std::string(word);
    };
    add(file.convert, "convert");
    add(file.replace, "replaces a file");
    add(file.numbered, "numbered");
    return text.empty() ? text : "  (" + text + ")";
}

std::string spellings(const std::vector<std::u16string> &names)
{
    std::string text;
    for (const std::u16string &name : names)
        text += (text.empty() ? "" : ", ") + text::utf16ToUtf8(name);
    return text;
}

void printText(const engine::OrganizePlan &plan, const fs::path &source, const fs::path &destination)
{
    if (plan.destinationMissing)
        std::printf("%s does not exist: the run would create it.\n\n", engine::pathToUtf8(destination).c_str());
    for (const engine::PlannedFolder &folder : plan.folders) {
        std::string head = shown(folder.folder, destination);
        if (!folder.mergedFrom.empty())
            head += "  \u2190 " + spellings(folder.mergedFrom);
        std::printf("%s\n", head.c_str());
        for (const engine::PlannedFile &file : folder.files) {
            std::printf("  %s \u2192 %s%s\n", shown(file.source, source).c_str(),
                        engine::pathToUtf8(file.destination.filename()).c_str(), marks(file).c_str());
        }
    }
    if (!plan.skipped.empty()) {
        std::printf("\nSkipped:\n");
        for (const engine::SkippedFile &file : plan.skipped)
            std::printf("  %s: %s\n", shown(file.path, source).c_str(), file.reason.c_str());
    }
    if (!plan.failed.empty()) {
        std::printf("\nWould not be placed:\n");
        for (const engine::FailedFile &file : plan.failed)
            std::printf("  %s: %s\n", shown(file.source, source).c_str(), file.message.c_str());
    }
    std::printf("\n%s\n", text::utf16ToUtf8(plan.summary).c_str());
}

void printJson(const engine::OrganizePlan &plan)
{
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    for (const engine::PlannedFolder &folder : plan.folders) {
        nlohmann::ordered_json merged = nlohmann::ordered_json::array();
        for (const std::u16string &name : folder.mergedFrom)
            merged.push_back(text::utf16ToUtf8(name));
        for (const engine::PlannedFile &file : folder.files) {
            nlohmann::ordered_json tags = nlohmann::ordered_json::object();
            for (const engine::PlannedTag &tag : file.tags)
                tags[tag.field] = {tag.before, tag.after};
            nlohmann::ordered_json marks = nlohmann::ordered_json::array();
            if (file.convert)
                marks.push_back("convert");
            if (file.replace)
                marks.push_back("replace");
            if (file.numbered)
                marks.push_back("numbered");
            files.push_back({{"source", engine::pathToUtf8(file.source)},
                             {"destination", engine::pathToUtf8(file.destination)},
                             {"folder", engine::pathToUtf8(folder.folder)},
                             {"action", std::string(file.action())},
                             {"marks", marks},
                             {"merged_from", merged},
                             {"tags", tags}});
        }
    }
    const nlohmann::ordered_json report = {
        {"plan", files},
        {"skipped", skippedList(plan.skipped)},
        {"failed", failedList(plan.failed)},
        {"summary", text::utf16ToUtf8(plan.summary)},
        {"files_loaded", plan.filesLoaded},
        {"files_copied", plan.filesCopied},
        {"folders_used", plan.foldersUsed},
        {"destination_missing", plan.destinationMissing},
    };
    std::printf("%s\n", dumpReport(report).c_str());
}

} // namespace

int runPreview(const OrganizeArguments &arguments, const fs::path &source, const fs::path &destination)
{
    // The text shows no tag changes: they are worked out for the JSON only.
    engine::PlanControl control;
    control.tags = arguments.json;
    const engine::OrganizePlan plan =
        engine::planOrganize(arguments.options, source, destination, engine::standardHooks(), control);
    if (plan.status != engine::PrepareStatus::Ready) {
        std::fprintf(stderr, "%s\n", text::utf16ToUtf8(plan.message).c_str());
        return exit_code::kRefused;
    }
    if (arguments.json)
        printJson(plan);
    else
        printText(plan, source, destination);
    std::fflush(stdout);
    return exit_code::kDone;
}

} // namespace tunvale::cli
