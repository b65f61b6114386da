#pragma once

// What a format's decoding read gives a conversion: the read's status, the tags and pictures,
// the audio's format and a source that delivers it piece by piece.

#include "catalog/records/load_options.h"
#include "formats/audio/decoded_audio.h"
#include "formats/audio/pcm_source.h"
#include "formats/read_status.h"
#include "formats/track_read.h"

#include <filesystem>
#include <memory>

namespace tunvale::formats {

struct PcmOpening {
    ReadResult status;                 // the read; not ok when the reader refused the file
    TrackRead read;                    // tags (not yet completed) and pictures
    DecodedAudio audio;                // the format delivered; no samples
    std::unique_ptr<PcmSource> source; // null when there is nothing the conversion can take
    // Without a source: true when the file could not be read (the conversion reports the
    // source as failed), false when it holds no audio the conversion takes. Each format says
    // which of its refusals are which.
    bool sourceFailed = false;
};

// A format's decoding read for a conversion, one call per conversion (nothing is shared
// between two calls, so conversions may run at once).
using PcmOpenerFn = PcmOpening (*)(const std::filesystem::path &path, const catalog::LoadOptions &options);

} // namespace tunvale::formats
