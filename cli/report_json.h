#pragma once

// The lists of the organize report, as JSON: the files not taken and the files not placed.

#include "engine/session/session_state.h"

#include <nlohmann/json.hpp>

#include <vector>

namespace tunvale::cli {

// [{"path", "reason", "kind"}]
nlohmann::ordered_json skippedList(const std::vector<engine::SkippedFile> &files);
// [{"path", "destination", "message"}], the destination left out when there is none
nlohmann::ordered_json failedList(const std::vector<engine::FailedFile> &files);

// Paths that are not valid UTF-8 are shown with replacement characters, never refused.
std::string dumpReport(const nlohmann::ordered_json &report);

} // namespace tunvale::cli
