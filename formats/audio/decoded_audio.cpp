#include "formats/audio/decoded_audio.h"

namespace tunvale::formats {

DecodedAudio &decodedAudio()
{
    static DecodedAudio audio;
    return audio;
}

} // namespace tunvale::formats
