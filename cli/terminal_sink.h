#pragma once

#include "engine/threads/manual_reset_event.h"
#include "engine/session/progress_sink.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace tunvale::cli {

// The command line's progress sink: a one-line progress bar on stderr when stderr is a
// terminal, each failure message on stderr as one line at once, and the end-of-run event the
// main thread waits for.
class TerminalSink final : public engine::ProgressSink {
public:
    TerminalSink(std::FILE *err, bool showBar);

    void postProgress(std::int32_t position, std::int32_t range) override;
    void postStatus(std::uint32_t colour, const std::u16string &text) override;
    void postRunEnded() override;
    void showStatus(const std::u16string &text, std::uint32_t colour) override;
    void showMessage(const std::u16string &text) override;
    // Once the run reports its work, the bar shows its weighted share and "n/N".
    void postWork(const engine::WorkProgress &progress) override;

    // Set when the worker posted its end of run.
    engine::ManualResetEvent &runEnded() { return m_runEnded; }
    // Clears the bar and stops drawing it (before the summary is printed).
    void finish();
    // The failure messages shown so far, as UTF-8.
    std::vector<std::string> messages() const;

private:
    void drawLocked();
    void clearLocked();

    std::FILE *m_err;
    bool m_showBar;
    bool m_finished = false;
    bool m_barDrawn = false;
    std::int32_t m_position = 0;
    std::int32_t m_range = 0;
    bool m_haveWork = false;
    engine::WorkProgress m_work;
    std::string m_status;
    std::vector<std::string> m_messages;
    engine::ManualResetEvent m_runEnded;
    mutable std::mutex m_mutex;
};

} // namespace tunvale::cli
