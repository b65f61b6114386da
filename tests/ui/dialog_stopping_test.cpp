// Stopping a run from the dialog: while the worker finishes its file the window keeps handling
// its events (it repaints, its timers run) with its controls disabled; Exit and closing take
// the window away at once and complete the stop behind it.
#include "dialog_fixture.h"

#include "engine/run/abort_command.h"
#include "output/status_reporter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace tunvale::ui {
namespace {

using namespace output::colour;
using tunvale::testing::BlockingPlacement;

// What a timer saw, every 10 ms, while the dialog's thread was inside a command.
struct Watch {
    int ticks = 0;
    int ticksWhileStopping = 0;
    bool controlsDisabled = true;    // what would start or change work
    bool stopControlsEnabled = true; // Cancel, Exit and Help
    bool windowHidden = true;
    bool runActiveWhileHidden = false;
    QString status;
    QString title;
};

class Watcher {
public:
    Watcher(TunvaleDialog &dialog, Watch &watch)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [&dialog, &watch] {
            ++watch.ticks;
            if (!dialog.stopping())
                return;
            ++watch.ticksWhileStopping;
            for (int id : {control_id::kOrganize, control_id::kPreview, 1016, 1000})
                watch.controlsDisabled = watch.controlsDisabled && !dialog.control(id)->isEnabled();
            watch.stopControlsEnabled = watch.stopControlsEnabled && dialog.control(control_id::kCancel)->isEnabled()
                && dialog.control(control_id::kExit)->isEnabled() && dialog.aboutAction()->isEnabled()
                && dialog.findChild<QMenuBar *>()->isEnabled();
            watch.windowHidden = watch.windowHidden && !dialog.isVisible();
            watch.runActiveWhileHidden = watch.runActiveWhileHidden || (!dialog.isVisible() && dialog.runActive());
            watch.status = dialog.statusBox()->text();
            watch.title = dialog.windowTitle();
        });
        m_timer.start(10);
    }

private:
    QTimer m_timer;
};

class StoppingTest : public DialogTest {
protected:
    // A dialog with a run held at its first file.
    std::unique_ptr<TunvaleDialog> startHeldRun(const BlockingPlacement &held, engine::AbortTiming timing = {})
    {
        DialogSetup setup = gatedSetup(held);
        setup.abortTiming = timing;
        return DialogTest::startHeldRun(std::move(setup), held, m_library);
    }

    void SetUp() override
    {
        DialogTest::SetUp();
        m_library = testing::smallMp3Library(m_dir / "lib");
        if (m_library.empty())
            GTEST_SKIP() << "sox or lame missing";
    }

    fs::path m_library;
};

TEST_F(StoppingTest, CancelKeepsTheWindowAliveWhileTheWorkerStops)
{
    struct Case {
        const char *what;
        int openAfterMs;                       // the worker's file ends then
        std::chrono::milliseconds finishedWait;
        std::deque<bool> answers;   // the abort question, then the undo's, if any
    };
    const Case cases[] = {
        {"ends within the wait", 400, std::chrono::milliseconds(10000), {true, false, false}},
        // The given-up worker placed nothing: there is nothing to undo and nothing to ask.
        {"given up after the wait", 2000, std::chrono::milliseconds(400), {true}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_prompts = testing::ScriptedPrompts{};
        const BlockingPlacement held;
        engine::AbortTiming timing;
        timing.finishedWait = c.finishedWait;
        timing.afterGiveUp = std::chrono::milliseconds(100);
        auto dialog = startHeldRun(held, timing);
        ASSERT_TRUE(dialog->runActive());

        Watch watch;
        Watcher watcher(*dialog, watch);
        held.releaseAfter(std::chrono::milliseconds(c.openAfterMs));
        m_prompts.answers = c.answers;
        QElapsedTimer clock;
        clock.start();
        dialog->control(control_id::kCancel)->click();

        // The wait lasted, and events were handled all through it.
        EXPECT_GE(clock.elapsed(), 300);
        EXPECT_GE(watch.ticksWhileStopping, 15);
        EXPECT_TRUE(watch.controlsDisabled);
        EXPECT_TRUE(watch.stopControlsEnabled);
        EXPECT_TRUE(watch.title.contains("Stopping")) << watch.title.toStdString();
        // The dialog's own words for the stop: it stops, or gives the run up; nothing is killed.
        EXPECT_TRUE(watch.status == "Stopping\u2026 Wait until current file has been processed"
                    || watch.status == "The file in work did not finish within 10 seconds: the run is given up."
                    || watch.status.startsWith("Aborting"))
            << watch.status.toStdString();
        EXPECT_FALSE(watch.status.contains("kill"));
        // Afterwards the window is as before, the run stopped.
        EXPECT_FALSE(dialog->stopping());
        EXPECT_FALSE(dialog->runActive());
        EXPECT_EQ(dialog->windowTitle(), "Tunvale");
        EXPECT_TRUE(dialog->control(control_id::kCancel)->isEnabled());
        EXPECT_TRUE(m_prompts.answers.empty());
        ASSERT_TRUE(testing::waitFor([&] { return dialog->lastSummary().has_value(); }));
        EXPECT_EQ(dialog->lastSummary()->word, std::u16string(u"Aborting"));
        held.release();
        ASSERT_TRUE(testing::waitFor([&] {
            return !dialog->organizer().abandonedWorkerRunning() && dialog->control(control_id::kOrganize)->isEnabled();
        }));
    }
}

TEST_F(StoppingTest, ExitClosesTheWindowAtOnceAndTheStopCompletesBehindIt)
{
    const BlockingPlacement held;
    auto dialog = startHeldRun(held);
    Watch watch;
    Watcher watcher(*dialog, watch);
    held.releaseAfter(std::chrono::milliseconds(400));
    m_prompts.answers = {true};
    dialog->control(control_id::kExit)->click();
    // Hidden from the first tick of the wait, while the worker was still finishing.
    EXPECT_GE(watch.ticksWhileStopping, 15);
    EXPECT_TRUE(watch.windowHidden);
    EXPECT_TRUE(watch.runActiveWhileHidden);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->runActive());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

// Closing the window, or Exit (which stays usable while the run stops), takes the window away
// at once; the stop finishes behind it and nothing more is asked.
TEST_F(StoppingTest, ClosingDuringTheWaitClosesAtOnceAndAsksNoMore)
{
    for (const bool byExit : {false, true}) {
        SCOPED_TRACE(byExit ? "Exit" : "closing");
        m_prompts = testing::ScriptedPrompts{};
        const BlockingPlacement held;
        auto dialog = startHeldRun(held);
        QTimer::singleShot(100, dialog.get(), [&] {
            EXPECT_TRUE(dialog->stopping());
            if (byExit) {
                ASSERT_TRUE(dialog->control(control_id::kExit)->isEnabled());
                dialog->control(control_id::kExit)->click();
            } else {
                dialog->close();
            }
            EXPECT_FALSE(dialog->isVisible());
        });
        held.releaseAfter(std::chrono::milliseconds(400));
        m_prompts.answers = {true}; // the abort question; nothing is asked after the close
        dialog->control(control_id::kCancel)->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(dialog->runActive());
        EXPECT_EQ(m_prompts.questions, QStringList{"Do you want to abort the Process?"});
        EXPECT_TRUE(m_prompts.messages.isEmpty());
        // Closing forgets the session without touching the disk.
        EXPECT_TRUE(dialog->session().filesCreatedInSession.empty());
        EXPECT_TRUE(dialog->session().foldersCreatedInSession.empty());
        EXPECT_FALSE(fs::is_empty(m_dir / "out"));
        fs::remove_all(m_dir / "out");
    }
}

} // namespace
} // namespace tunvale::ui
