#pragma once

#include <cstdint>
#include <string>

namespace tunvale::output {

// Colours are 0x00BBGGRR values.
namespace colour {
inline constexpr std::uint32_t kLightGreen = 0xC8FFC8;   // working: loading, copying, converting
inline constexpr std::uint32_t kLightBlue = 0xFFC8C8;    // placement phase, "Done"
inline constexpr std::uint32_t kLightRed = 0xA0A0FF;     // aborting, tag failure, partial result
inline constexpr std::uint32_t kRed = 0x1414FF;          // error
inline constexpr std::uint32_t kStrongRed = 0x3C3CFF;    // the worker had to be given up
inline constexpr std::uint32_t kYellow = 0x14FFFF;       // validation warnings, scan
inline constexpr std::uint32_t kGreen = 0xA0FFA0;        // existing folders, dialog start
} // namespace colour

// The synchronous status line used while a file is placed or converted: returns once the
// front end has shown the text in the colour.
class StatusReporter {
public:
    virtual ~StatusReporter() = default;
    virtual void showStatus(const std::u16string &text, std::uint32_t colour) = 0;
    // How much of the file in work is done (0..1), told by steps that take long (a
    // conversion); posted, never waited for. Ignored unless the front end shows it.
    virtual void showFileProgress(double) {}
};

} // namespace tunvale::output
