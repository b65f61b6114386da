#include "output/track_numbering.h"

#include "output/name_text.h"

#include <cstdio>

namespace tunvale::output {

std::u16string numberText(int n, int step)
{
    char buffer[24];
    if (step > 1)
        std::snprintf(buffer, sizeof buffer, "%03lld", static_cast<long long>(n) * step);
    else
        std::snprintf(buffer, sizeof buffer, "%02d", n);
    return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

std::u16string trackTextFor(std::u16string_view ownTrackText, int position, const PlacementOptions &options)
{
    if (options.alphaTrack)
        return numberText(position, options.trackStep);
    if (!ownTrackText.empty())
        return std::u16string(ownTrackText);
    return options.trackStep > 1 ? u"001" : u"01";
}

TagNumbers tagNumbers(bool renumber, int step, int index, int count)
{
    if (!renumber)
        return {};
    return {step * index, step * count};
}

std::u16string renumberMiscellaneousName(std::u16string_view name, int m, int step)
{
    if (name.empty() || name[0] < u'0' || name[0] > u'9')
        return std::u16string(name);
    std::size_t end = 1;
    while (end < name.size() && isNameAlnum(name[end]))
        ++end;
    return numberText(m, step) + std::u16string(name.substr(end));
}

} // namespace tunvale::output
