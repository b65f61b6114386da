#include "cli/terminal_sink.h"

#include "catalog/text/codepage.h"

#include <algorithm>

namespace tunvale::cli {

namespace {
constexpr int kBarWidth = 30;
constexpr std::size_t kStatusWidth = 40;
} // namespace

TerminalSink::TerminalSink(std::FILE *err, bool showBar)
    : m_err(err)
    , m_showBar(showBar)
{
}

void TerminalSink::postProgress(std::int32_t position, std::int32_t range)
{
    std::lock_guard lock(m_mutex);
    if (range > 0)
        m_range = range;
    m_position = position;
    drawLocked();
}

void TerminalSink::postWork(const engine::WorkProgress &progress)
{
    std::lock_guard lock(m_mutex);
    m_haveWork = true;
    m_work = progress;
    drawLocked();
}

void TerminalSink::postStatus(std::uint32_t, const std::u16string &text)
{
    std::lock_guard lock(m_mutex);
    if (!text.empty())
        m_status = text::utf16ToUtf8(text);
    drawLocked();
}

void TerminalSink::postRunEnded() { m_runEnded.set(); }

void TerminalSink::showStatus(const std::u16string &text, std::uint32_t)
{
    std::lock_guard lock(m_mutex);
    m_status = text::utf16ToUtf8(text);
    drawLocked();
}

void TerminalSink::showMessage(const std::u16string &text)
{
    std::lock_guard lock(m_mutex);
    const std::string line = text::utf16ToUtf8(text);
    m_messages.push_back(line);
    clearLocked();
    std::fprintf(m_err, "%s\n", line.c_str());
    std::fflush(m_err);
    drawLocked();
}

void TerminalSink::finish()
{
    std::lock_guard lock(m_mutex);
    clearLocked();
    m_finished = true;
}

std::vector<std::string> TerminalSink::messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

void TerminalSink::clearLocked()
{
    if (!m_barDrawn)
        return;
    std::fprintf(m_err, "\r\033[K");
    std::fflush(m_err);
    m_barDrawn = false;
}

void TerminalSink::drawLocked()
{
    if (!m_showBar || m_finished || (m_range <= 0 && !m_haveWork))
        return;
    const double fraction = m_haveWork ? std::clamp(m_work.permille / 1000.0, 0.0, 1.0)
                                       : std::clamp(static_cast<double>(m_position) / m_range, 0.0, 1.0);
    const int filled = static_cast<int>(fraction * kBarWidth);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    std::string status = m_status;
    if (status.size() > kStatusWidth) {
        std::size_t cut = kStatusWidth - 3;
        while (cut > 0 && (static_cast<unsigned char>(status[cut]) & 0xC0) == 0x80)
            --cut;   // never split a UTF-8 sequence
        status = status.substr(0, cut) + "...";
    }
    std::string count;
    if (m_haveWork && m_work.file > 0)
        count = std::to_string(m_work.file) + "/" + std::to_string(m_work.fileCount) + " ";
    std::fprintf(m_err, "\r\033[K[%s] %3d%% %s%s", bar.c_str(), static_cast<int>(fraction * 100), count.c_str(),
                 status.c_str());
    std::fflush(m_err);
    m_barDrawn = true;
}

} // namespace tunvale::cli
