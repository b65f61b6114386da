#pragma once

// The main dialog's test fixture: a store of its own, scripted prompts, a scratch folder, and
// runs held at their placement so that a run stays active while a test acts.
#include "ui_test_support.h"

#include "output/place_file.h"
#include "support/blocking_placement.h"
#include "ui/colored_edit.h"

#include <QAbstractButton>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

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

    std::unique_ptr<TunvaleDialog> makeDialog(DialogSetup setup = {})
    {
        setup.summaryPause = std::chrono::milliseconds(0);
        auto dialog = std::make_unique<TunvaleDialog>(m_options, m_preferences, m_prompts, std::move(setup));
        dialog->show();
        return dialog;
    }

    // The folders of a run: an existing destination and the given source.
    void setFolders(TunvaleDialog &dialog, const QString &source, const QString &destination)
    {
        dialog.sourceEdit()->setText(source);
        dialog.destinationEdit()->setText(destination);
    }

    bool waitForSummary(TunvaleDialog &dialog)
    {
        return testing::waitFor([&] { return !dialog.runActive() && dialog.lastSummary().has_value(); });
    }

    // A dialog made from setup (its placement held by held, see gatedSetup) with a run of
    // library into a fresh folder "out" started; returns once the run's first file is held.
    std::unique_ptr<TunvaleDialog> startHeldRun(DialogSetup setup, const tunvale::testing::BlockingPlacement &held,
                                              const fs::path &library)
    {
        auto dialog = makeDialog(std::move(setup));
        fs::create_directories(m_dir / "out");
        setFolders(*dialog, text(library), text(m_dir / "out"));
        dialog->control(control_id::kOrganize)->click();
        EXPECT_TRUE(testing::waitFor([&] { return held.entered() > 0; }));
        return dialog;
    }

    testing::StoreFixture m_store;   // first: the store must point at its folder before it is opened
    Preferences m_preferences;
    engine::RunOptions m_options = engine::RunOptions{};
    testing::ScriptedPrompts m_prompts;
    tunvale::testing::TempDir m_dir;
};

// A setup whose placement waits for held's release, then places the file for real.
inline DialogSetup gatedSetup(const tunvale::testing::BlockingPlacement &held)
{
    DialogSetup setup;
    setup.hooks.placeFile = held.hook(output::PlaceFile);
    return setup;
}

} // namespace tunvale::ui
