#pragma once

// Whether a FLAC file holds all the audio its STREAMINFO states, judged from its last frames:
// a file cut short (a copy that stopped, a download that did not finish) is found when it is
// read, in a time that does not grow with its size, rather than when it is converted.

#include "formats/audio/regular_file.h"
#include "formats/flac/flac_decoder.h"
#include "formats/flac/flac_stream_map.h"
#include "formats/read_status.h"

namespace tunvale::formats {

// Decodes the frames of the file's last stretch (a few frames' worth of bytes). CutShort when
// there is no audio after the metadata, or when the last frame that decodes cleanly ends before
// the stated length. Ok when the stream is whole, and when it cannot be told: a stream of
// unknown length, or no frame near the end (a file padded with zeros is read as it stands).
ReadResult checkFlacStreamEnd(RegularFile &file, const FlacStreamMap &map, const FlacStreamProperties &properties);

// "1.7 s": a number of samples at a rate, for the report.
std::string flacSeconds(std::uint64_t samples, std::uint32_t rate);

} // namespace tunvale::formats
