#pragma once

#include "formats/audio/pcm_source.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace tunvale::output {

// Reads up to one chunk of chunk.size() values from source, going on until the chunk is full
// or the source ends, so every chunk but the last is full whatever the source's reads give.
// Returns the values read, whole frames only (a stray value at the end is dropped).
std::size_t fillChunk(formats::PcmSource &source, std::vector<std::int16_t> &chunk);

// Decodes a source on a thread of its own, a few chunks ahead of the encoder that takes them:
// one conversion then uses two cores. The chunks are the ones fillChunk gives, in the same
// order, so the encoder's input (and so its output) is the same as a read on one thread. At
// most `depth` chunks are held at once, so memory stays small whatever the source's length.
// When no thread can be started the chunks are read on the caller's thread.
class DecodeAhead {
public:
    DecodeAhead(formats::PcmSource &source, std::size_t chunkValues, std::size_t depth = 8);
    // Stops the decoding thread (it ends after the chunk it is reading) and waits for it.
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead &) = delete;
    DecodeAhead &operator=(const DecodeAhead &) = delete;

    // Puts the next chunk into chunk (resized to the chunk size) and returns its values; 0 at
    // the end of the source or when decoding failed (failed() tells which).
    std::size_t next(std::vector<std::int16_t> &chunk);
    // The source reported a decoding failure (valid once next() returned 0).
    bool failed() const;

private:
    struct Block {
        std::vector<std::int16_t> values;
        std::size_t count = 0;
    };

    void decode();

    formats::PcmSource &m_source;
    std::size_t m_chunkValues;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_ready;                      // decoded, not yet taken
    std::vector<std::vector<std::int16_t>> m_spare; // buffers given back by the encoder
    std::size_t m_inUse = 0;                        // buffers held by the decoder or in m_ready
    std::size_t m_depth;
    bool m_ended = false;     // the decoder delivered its last chunk
    bool m_failed = false;    // the source failed, or decoding threw
    bool m_stop = false;      // the encoder is gone: the decoder stops
    bool m_inline = false;    // no thread: next() reads directly
    std::thread m_thread;
};

} // namespace tunvale::output
