// Preview in the dialog: the plan in its window, Organize there runs it; a long plan opens at
// once; "Details..." lists what a run skipped.
#include "dialog_fixture.h"

#include "support/temp_dir.h"
#include "ui/plan_model.h"
#include "ui/preview_window.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

namespace tunvale::ui {

namespace {

TEST_F(DialogTest, PreviewShowsThePlanAndItsOrganizeRunsIt)
{
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    auto dialog = makeDialog();
    const fs::path out = m_dir / "sorted";
    setFolders(*dialog, text(library), text(out));
    dialog->control(control_id::kPreview)->click();
    ASSERT_TRUE(testing::waitFor([&] { return dialog->previewWindow() != nullptr; }));
    EXPECT_FALSE(fs::exists(out)) << "a preview writes nothing";
    EXPECT_FALSE(dialog->previewing());

    PreviewWindow *window = dialog->previewWindow();
    QAbstractItemModel *model = window->planView()->model();
    ASSERT_EQ(model->rowCount(), 2);   // Alpha Band and Miscellaneous
    int files = 0;
    QStringList planned;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex folder = model->index(row, 0);
        for (int child = 0; child < model->rowCount(folder); ++child) {
            planned << model->index(row, 0).data().toString() + "/" + model->index(child, 0, folder).data().toString();
            ++files;
        }
    }
    EXPECT_EQ(files, 3);
    EXPECT_EQ(window->summaryLabel()->text(), "Done: on 3 files, 3 are copied in 2 folders");

    // Organize in the preview window: the missing destination is created (answered Yes) and
    // the run makes exactly the files the plan showed.
    m_prompts.answers = {true};
    window->organizeButton()->click();
    ASSERT_TRUE(waitForSummary(*dialog));
    EXPECT_EQ(dialog->lastSummary()->line, u"Done: on 3 files, 3 are copied in 2 folders");
    QStringList made;
    for (const std::string &entry : tunvale::testing::listTree(out)) {
        if (entry.back() != '/')
            made << QString::fromStdString(entry);
    }
    planned.sort();
    made.sort();
    EXPECT_EQ(planned, made);
    EXPECT_FALSE(dialog->detailsLink()->isVisible());
}

TEST_F(DialogTest, DetailsListsTheFilesARunSkipped)
{
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    tunvale::testing::writeFile(library / "broken.wav", "this is not a RIFF file at all, only words");
    tunvale::testing::writeFile(library / "tune.wma", "x");
    auto dialog = makeDialog();
    fs::create_directories(m_dir / "out");
    setFolders(*dialog, text(library), text(m_dir / "out"));
    dialog->control(control_id::kOrganize)->click();
    ASSERT_TRUE(waitForSummary(*dialog));
    // The summary line stays as it is; the link sits beside it.
    EXPECT_EQ(dialog->statusBox()->text(), "Done: on 3 files, 3 are copied in 2 folders");
    ASSERT_TRUE(dialog->detailsLink()->isVisible());

    QStringList rows;
    m_prompts.answers.clear();
    QTimer::singleShot(0, [&] {
        testing::waitFor([&] { return dialog->accountWindow() != nullptr; }, 5000);
        QAbstractItemModel *model = dialog->accountWindow()->view()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->index(row, 0).data().toString() + " | " + model->index(row, 1).data().toString();
        dialog->accountWindow()->reject();
    });
    emit dialog->detailsLink()->linkActivated(QStringLiteral("details"));
    rows.sort();
    EXPECT_EQ(rows, QStringList({text(library / "broken.wav") + " | Skipped: not audio",
                                 text(library / "tune.wma") + " | Skipped: format not handled"}));

    // A new run hides it until its own end.
    dialog->control(control_id::kOrganize)->click();
    EXPECT_FALSE(dialog->detailsLink()->isVisible());
    ASSERT_TRUE(waitForSummary(*dialog));
}

TEST(PreviewWindowTest, AHundredThousandFilesOpenWithinTwoSeconds)
{
    auto plan = std::make_shared<engine::OrganizePlan>();
    plan->destination = "/music/sorted";
    for (int f = 0; f < 1000; ++f) {
        engine::PlannedFolder &folder = plan->folders.emplace_back();
        folder.folder = plan->destination / ("Artist " + std::to_string(f));
        folder.mergedFrom = {u"artist " + std::u16string(1, static_cast<char16_t>(u'a' + f % 26))};
        for (int i = 0; i < 100; ++i) {
            engine::PlannedFile &file = folder.files.emplace_back();
            file.source = "/music/in/" + std::to_string(f) + "/" + std::to_string(i) + ".mp3";
            file.destination = folder.folder / (std::to_string(i) + " - Artist - Title.mp3");
            file.numbered = i % 7 == 0;
        }
    }
    plan->summary = u"Done: on 100000 files, 100000 are copied in 1000 folders";

    QElapsedTimer timer;
    timer.start();
    // Opened with every folder unfolded, then scrolled to the middle.
    PreviewWindow window(plan);
    window.show();
    QTreeView *view = window.planView();
    QCoreApplication::processEvents();
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    QCoreApplication::processEvents();
    const qint64 elapsed = timer.elapsed();
    EXPECT_LT(elapsed, 2000);
    std::printf("100 000-file plan opened, unfolded and scrolled in %lld ms\n", static_cast<long long>(elapsed));

    int rows = 0;
    for (int f = 0; f < view->model()->rowCount(); ++f)
        rows += view->model()->rowCount(view->model()->index(f, 0));
    EXPECT_EQ(rows, 100000);
    EXPECT_TRUE(view->isExpanded(view->model()->index(999, 0)));
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), QStringLiteral("Artist 0  \u2190 artist a"));
    const QModelIndex seventh = view->model()->index(7, PlanModel::kMarks, view->model()->index(0, 0));
    EXPECT_EQ(seventh.data().toString(), "numbered");
}

} // namespace

} // namespace tunvale::ui
