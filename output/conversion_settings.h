#pragma once

namespace tunvale::output {

// LAME settings for one MP3_QUALITY choice.
struct Mp3EncoderSettings {
    int bitRate = 320;     // kbit/s: the CBR rate, or the mean rate aimed at in VBR
    int quality = 2;       // LAME algorithm quality, also used as the VBR quality
    int vbrMode = 0;       // vbr_mode value: 0 vbr_off, 4 vbr_mtrh
    int preset = 0;        // LAME preset applied after the other settings, 0 for none
};

// 0 "Standard quality 128K CBR", 1 "High quality 250K VBR", 2 (or any other value)
// "Max quality 320K CBR".
Mp3EncoderSettings encoderSettingsFor(int mp3Quality);

} // namespace tunvale::output
