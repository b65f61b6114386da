#include "output/folder_name.h"

#include "catalog/text/names.h"
#include "formats/io/work_files.h"
#include "output/name_text.h"

#include <algorithm>

namespace tunvale::output {

std::u16string groupFolderName(std::u16string_view groupName)
{
    std::u16string name = text::fileNameSafe(groupName);
    if (utf8Length(name) > kMaxComponentBytes) {
        name = std::u16string(utf8Prefix(name, kMaxComponentBytes));
        while (!name.empty() && name.back() == u' ')
            name.pop_back();
    }
    // A cut can leave only dots; no name at all would put the group's files into the
    // destination itself.
    if (std::all_of(name.begin(), name.end(), [](char16_t unit) { return unit == u'.'; }))
        name.assign(std::max<std::size_t>(name.size(), 1), u'_');
    // The program's own hidden names (kept originals, work files) are never a group's: such a
    // folder would be skipped by later scans and refused by placement.
    const std::string_view prefix = formats::io::kProgramPrefix;
    if (name.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), name.begin()))
        name.front() = u'_';
    return name;
}

} // namespace tunvale::output
