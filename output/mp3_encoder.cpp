#include "output/mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>

namespace tunvale::output {

namespace {

// Output space for one call: 9216 samples at 480 kbit/s plus 512 bytes, and never less than
// LAME's documented worst case for one chunk (1.25 x samples per channel + 7200 bytes), so a
// low sample rate or a mono chunk cannot make a call fail for lack of room.
std::size_t outputSpace(int sampleRate, int channels)
{
    const std::size_t rate = static_cast<std::size_t>(sampleRate);
    const std::size_t atMaxRate = 184320000 / rate + 368640000 / rate + 512;
    const std::size_t samplesPerChannel = Mp3Encoder::kChunkValues / static_cast<std::size_t>(channels);
    const std::size_t worstCase = samplesPerChannel + samplesPerChannel / 4 + 7200;
    return std::max({atMaxRate, worstCase, Mp3Encoder::kChunkValues});
}

} // namespace

std::string lameVersion()
{
    const char *version = get_lame_version();
    return version != nullptr ? std::string(version) : std::string();
}

Mp3Encoder::~Mp3Encoder()
{
    if (m_lame)
        lame_close(m_lame);
}

bool Mp3Encoder::open(const Mp3EncoderSettings &settings, int channels, int sampleRate)
{
    if (m_lame || (channels != 1 && channels != 2) || sampleRate <= 0)
        return false;
    m_lame = lame_init();
    if (!m_lame)
        return false;
    m_channels = channels;
    lame_set_in_samplerate(m_lame, sampleRate);
    lame_set_out_samplerate(m_lame, sampleRate);
    lame_set_brate(m_lame, settings.bitRate);
    lame_set_VBR(m_lame, static_cast<vbr_mode>(settings.vbrMode));
    lame_set_quality(m_lame, settings.quality);
    lame_set_VBR_q(m_lame, settings.quality);
    lame_set_VBR_mean_bitrate_kbps(m_lame, settings.bitRate);
    lame_set_VBR_max_bitrate_kbps(m_lame, 320);
    if (settings.preset != 0)
        lame_set_preset(m_lame, settings.preset);
    lame_set_mode(m_lame, channels == 1 ? MONO : STEREO);
    lame_set_num_channels(m_lame, channels);
    lame_set_error_protection(m_lame, 0);
    if (lame_init_params(m_lame) < 0)
        return false;
    m_output.resize(outputSpace(sampleRate, channels));
    return true;
}

int Mp3Encoder::encode(const std::int16_t *values, std::size_t count)
{
    m_produced = 0;
    if (!m_lame || count > kChunkValues || count % static_cast<std::size_t>(m_channels) != 0)
        return -1;
    // LAME takes non-const sample pointers but only reads them.
    auto *samples = const_cast<short *>(reinterpret_cast<const short *>(values));
    const int space = static_cast<int>(m_output.size());
    int result = 0;
    if (m_channels == 1)
        result = lame_encode_buffer(m_lame, samples, nullptr, static_cast<int>(count), m_output.data(), space);
    else
        result = lame_encode_buffer_interleaved(m_lame, samples, static_cast<int>(count / 2), m_output.data(), space);
    if (result > 0)
        m_produced = static_cast<std::size_t>(result);
    return result;
}

int Mp3Encoder::flush()
{
    m_produced = 0;
    if (!m_lame)
        return -1;
    const int result = lame_encode_flush(m_lame, m_output.data(), static_cast<int>(m_output.size()));
    if (result > 0)
        m_produced = static_cast<std::size_t>(result);
    return result;
}

std::vector<std::uint8_t> Mp3Encoder::infoTagFrame() const
{
    if (!m_lame)
        return {};
    std::vector<std::uint8_t> frame(kMaxTagFrame);
    const std::size_t length = lame_get_lametag_frame(m_lame, frame.data(), frame.size());
    // A length above the buffer means LAME wanted more room than a frame can need: no frame.
    frame.resize(length <= frame.size() ? length : 0);
    return frame;
}

} // namespace tunvale::output
