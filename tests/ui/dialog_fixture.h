#pragma once

// The main dialog's test fixture: a store of its own, scripted prompts, a scratch folder, and
// a placement gate that holds a run active while a test acts.
#include "ui_test_support.h"

#include "output/place_file.h"
#include "ui/edit_color.h"

#include <QAbstractButton>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace tunvale::ui {

namespace fs = std::filesystem;

// A click on the box or circle itself, as the user makes it.
inline void clickIndicator(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, button->height() / 2));
}

inline QString text(const fs::path &path)
{
    return QString::fromStdString(path.string());
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_preferences.open()); }

    std::unique_ptr<CTunvaleDlg> makeDialog(DialogSetup setup = {})
    {
        setup.summaryPause = std::chrono::milliseconds(0);
        auto dialog = std::make_unique<CTunvaleDlg>(m_options, m_preferences, m_prompts, std::move(setup));
        dialog->show();
        return dialog;
    }

    // The folders of a run: an existing destination and the given source.
    void setFolders(CTunvaleDlg &dialog, const QString &source, const QString &destination)
    {
        dialog.sourceEdit()->setText(source);
        dialog.destinationEdit()->setText(destination);
    }

    bool waitForSummary(CTunvaleDlg &dialog)
    {
        return testing::waitFor([&] { return !dialog.runActive() && dialog.lastSummary().has_value(); });
    }

    testing::StoreFixture m_store;   // first: the store must point at its folder before it is opened
    CPreferences m_preferences;
    engine::RunOptions m_options = engine::RunOptions{};
    testing::ScriptedPrompts m_prompts;
    tunvale::testing::TempDir m_dir;
};

// Placement held at a gate, so a run stays active while the test acts.
struct Gate {
    std::atomic<bool> open{false};
    std::atomic<int> entered{0};
};

// Opens the gate from another thread after a while: the dialog's thread is busy waiting then.
inline void openLater(const std::shared_ptr<Gate> &gate, int ms)
{
    std::thread([gate, ms] {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        gate->open = true;
    }).detach();
}

inline DialogSetup gatedSetup(const std::shared_ptr<Gate> &gate)
{
    DialogSetup setup;
    setup.hooks.placeFile = [gate](int index, int count, output::PlacementContext &context) {
        ++gate->entered;
        // Bounded, so a failed test cannot leave a worker waiting for ever.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!gate->open.load() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return output::PlaceFile(index, count, context);
    };
    return setup;
}

} // namespace tunvale::ui
