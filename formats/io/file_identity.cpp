#include "formats/io/file_identity.h"

#include <charconv>
#include <system_error>

namespace tunvale::formats::io {

namespace {

template <class T>
bool parseNumber(std::string_view &text, T &value, bool last)
{
    const char *begin = text.data();
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr == begin)
        return false;
    text.remove_prefix(static_cast<std::size_t>(ptr - begin));
    if (last)
        return true;
    if (text.empty() || text.front() != ':')
        return false;
    text.remove_prefix(1);
    return true;
}

} // namespace

std::string identityText(const FileIdentity &identity)
{
    if (!identity.valid)
        return "-";
    std::string text = std::to_string(identity.device) + ":" + std::to_string(identity.inode) + ":"
        + std::to_string(identity.size) + ":" + std::to_string(identity.modified);
    if (identity.link)
        text += ":link";
    return text;
}

FileIdentity identityFromText(std::string_view text)
{
    FileIdentity identity;
    if (!parseNumber(text, identity.device, false) || !parseNumber(text, identity.inode, false)
        || !parseNumber(text, identity.size, false) || !parseNumber(text, identity.modified, true))
        return {};
    if (text == ":link")
        identity.link = true;
    else if (!text.empty())
        return {};
    identity.valid = true;
    return identity;
}

bool removeIfIdentity(const std::filesystem::path &path, const FileIdentity &identity)
{
    if (!identity.valid || identity.link)
        return false;
    const FileIdentity now = identityOf(path);
    if (!now.valid || now != identity)
        return false;
    std::error_code ec;
    return std::filesystem::remove(path, ec) && !ec;
}

} // namespace tunvale::formats::io
