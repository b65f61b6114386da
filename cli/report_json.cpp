#include "cli/report_json.h"

#include "engine/session/path_text.h"
#include "engine/session/run_report.h"

namespace tunvale::cli {

nlohmann::ordered_json skippedList(const std::vector<engine::SkippedFile> &files)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const engine::SkippedFile &file : files) {
        list.push_back({{"path", engine::pathToUtf8(file.path)},
                        {"reason", file.reason},
                        {"kind", std::string(engine::skipKindName(file.kind))}});
    }
    return list;
}

nlohmann::ordered_json failedList(const std::vector<engine::FailedFile> &files)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const engine::FailedFile &file : files) {
        nlohmann::ordered_json item = {{"path", engine::pathToUtf8(file.source)}};
        if (!file.destination.empty())
            item["destination"] = engine::pathToUtf8(file.destination);
        item["message"] = file.message;
        list.push_back(std::move(item));
    }
    return list;
}

std::string dumpReport(const nlohmann::ordered_json &report)
{
    return report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace tunvale::cli
