#include "formats/io/work_files.h"

#include "formats/io/platform.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>


namespace tunvale::formats::io {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kWorkSuffix = ".part";

std::string nativeName(const fs::path &fileName) { return platform::pathToUtf8(fileName); }

} // namespace

std::string newWorkToken()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const std::tm tm = platform::utcTime(now);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::random_device random;
    char token[80];
    std::snprintf(token, sizeof token, "%s-%d-%08x", stamp, platform::processId(), static_cast<unsigned>(random()));
    return token;
}

std::string workFileName(std::string_view token, unsigned n)
{
    std::string name(kProgramPrefix);
    name.append(token).append("-").append(std::to_string(n)).append(kWorkSuffix);
    return name;
}

bool isValidToken(std::string_view token)
{
    if (token.size() < 8 || token.size() > 64)
        return false;
    for (const char c : token) {
        const bool allowed = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
        if (!allowed)
            return false;
    }
    return true;
}

bool isWorkFileOf(const fs::path &fileName, std::string_view token)
{
    if (!isValidToken(token))
        return false;
    std::string prefix(kProgramPrefix);
    prefix.append(token).append("-");
    const std::string name = nativeName(fileName);
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    // The number of the work file follows the prefix.
    const char first = name[prefix.size()];
    return first >= '0' && first <= '9';
}

bool isProgramName(const fs::path &fileName)
{
    return isProgramSpelling(fileName.native());
}

bool isProgramSpelling(std::basic_string_view<fs::path::value_type> fileName)
{
    if (fileName.size() < kProgramPrefix.size())
        return false;
    for (std::size_t i = 0; i < kProgramPrefix.size(); ++i) {
        if (fileName[i] != static_cast<fs::path::value_type>(kProgramPrefix[i]))
            return false;
    }
    return true;
}

fs::path keptFolder(const fs::path &destinationRoot)
{
    return destinationRoot / fs::path(std::string(kKeptFolderName));
}

WorkNames::WorkNames()
    : m_token(newWorkToken())
{
}

WorkNames::WorkNames(std::string token)
    : m_token(std::move(token))
{
}

WorkNames::WorkNames(WorkNames &&other) noexcept
    : m_token(std::move(other.m_token))
    , m_next(other.m_next.load())
{
}

fs::path WorkNames::beside(const fs::path &target)
{
    return target.parent_path() / fs::path(workFileName(m_token, m_next.fetch_add(1)));
}

fs::path WorkNames::keptPath(const fs::path &root, const fs::path &original, unsigned attempt) const
{
    const fs::path relative = original.lexically_normal().lexically_relative(root.lexically_normal());
    if (relative.empty() || relative.is_absolute() || !original.has_filename())
        return {};
    for (const fs::path &part : relative) {
        if (part == ".." || part == ".")
            return {};
    }
    fs::path kept = keptFolder(root) / fs::path(m_token) / relative;
    if (attempt > 0)
        kept += "." + std::to_string(attempt);
    return kept;
}

} // namespace tunvale::formats::io
