#include "output/conversion_settings.h"

#include <lame/lame.h>

namespace tunvale::output {

Mp3EncoderSettings encoderSettingsFor(int mp3Quality)
{
    switch (mp3Quality) {
    case 0:
        return {128, 2, vbr_off, 0};
    case 1:
        return {250, 0, vbr_mtrh, EXTREME_FAST};
    default:
        return {320, 2, vbr_off, 0};
    }
}

} // namespace tunvale::output
