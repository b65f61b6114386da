// Preview in the dialog: the plan in its window, Organize there runs it; a long plan opens at
// once; "Details..." lists what a run skipped.
#include "dialog_fixture.h"

#include "support/temp_dir.h"
#include "ui/plan_model.h"
#include "ui/preview_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
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
    // Nothing was written: it says what would happen.
    EXPECT_EQ(window->summaryLabel()->text(), "3 files would be copied into 2 new folders");
    const auto *tabs = window->findChild<QTabWidget *>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(0), "&Plan (3 files)");
    EXPECT_EQ(dialog->statusBox()->text(), "Preview: 3 files would be copied into 2 new folders");
    EXPECT_FALSE(window->warningLabel()->isVisibleTo(window));

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

    // Reached with Tab like any button, showing a focus ring, and opened with Return or Space.
    QApplication::setActiveWindow(dialog.get());
    QPushButton *link = dialog->detailsLink();
    EXPECT_EQ(link->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    const QImage unfocused = link->grab().toImage();
    link->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(link->hasFocus());
    EXPECT_NE(link->grab().toImage(), unfocused) << "no focus ring";
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Return" : "Space");
        QStringList rows;
        QStringList tips;
        QTimer::singleShot(0, [&] {
            testing::waitFor([&] { return dialog->accountWindow() != nullptr; }, 5000);
            QAbstractItemModel *model = dialog->accountWindow()->view()->model();
            for (int row = 0; row < model->rowCount(); ++row) {
                rows << model->index(row, 0).data().toString() + " | " + model->index(row, 1).data().toString();
                tips << model->index(row, 0).data(Qt::ToolTipRole).toString();
            }
            dialog->accountWindow()->reject();
        });
        link->setFocus(Qt::TabFocusReason);
        QTest::keyClick(link, key);
        EXPECT_TRUE(dialog->isVisible());
        rows.sort();
        tips.sort();
        // From the source folder; the tooltip holds the whole path.
        EXPECT_EQ(rows, QStringList({"broken.wav | Skipped: not audio", "tune.wma | Skipped: format not handled"}));
        EXPECT_EQ(tips, QStringList({text(library / "broken.wav"), text(library / "tune.wma")}));
    }

    // A new run hides it until its own end.
    dialog->control(control_id::kOrganize)->click();
    EXPECT_FALSE(dialog->detailsLink()->isVisible());
    ASSERT_TRUE(waitForSummary(*dialog));
}

// The plan shows each source from the source folder (two "song.mp3" stay apart), every cell
// with its whole text in its tooltip, the columns as wide as their texts.
TEST(PreviewWindowTest, SourcesFromTheSourceFolderInColumnsThatFit)
{
    auto plan = std::make_shared<engine::OrganizePlan>();
    plan->source = "/music/in";
    plan->destination = "/music/sorted";
    engine::PlannedFolder &folder = plan->folders.emplace_back();
    folder.folder = plan->destination / "A Band With A Rather Long Name Indeed";
    for (const char *from : {"a/song.mp3", "b/song.mp3", "very/deep/folders/of/the/source/library/song.mp3"}) {
        engine::PlannedFile &file = folder.files.emplace_back();
        file.source = plan->source / from;
        file.destination = folder.folder / ("01 - " + std::string(from).substr(0, 1) + " - Song.mp3");
    }
    PreviewWindow window(plan);
    window.show();
    QTreeView *view = window.planView();
    QAbstractItemModel *model = view->model();
    const QModelIndex group = model->index(0, 0);
    QStringList shown;
    for (int row = 0; row < model->rowCount(group); ++row) {
        const QModelIndex source = model->index(row, PlanModel::kSource, group);
        shown << source.data().toString();
        EXPECT_EQ(source.data(Qt::ToolTipRole).toString(),
                  QString::fromStdString(plan->folders[0].files[static_cast<std::size_t>(row)].source.string()));
        const QModelIndex name = model->index(row, PlanModel::kName, group);
        EXPECT_EQ(name.data(Qt::ToolTipRole).toString(),
                  QString::fromStdString(plan->folders[0].files[static_cast<std::size_t>(row)].destination.string()));
    }
    EXPECT_EQ(shown, QStringList({"a/song.mp3", "b/song.mp3", "very/deep/folders/of/the/source/library/song.mp3"}));
    EXPECT_EQ(group.data(Qt::ToolTipRole).toString(), QString::fromStdString(folder.folder.string()));
    // Each column but the last is wide enough for its widest text.
    for (int column : {int(PlanModel::kName), int(PlanModel::kSource)}) {
        int widest = view->header()->sectionSizeHint(column);
        for (int row = 0; row < model->rowCount(group); ++row)
            widest = std::max(widest, view->sizeHintForIndex(model->index(row, column, group)).width());
        EXPECT_GE(view->columnWidth(column) + view->indentation(), widest) << column;
    }
}

// What a preview says it would do, in the conditional, the counts adding up with what is
// skipped, in the plural where it is due.
TEST(PreviewWindowTest, SummarySaysWhatWouldHappen)
{
    struct Case {
        std::vector<std::pair<bool, std::vector<bool>>> folders; // exists, and each file's conversion
        int skipped;
        int failed;
        const char *text;
    };
    const Case cases[] = {
        {{{false, {false, false, false}}, {false, {false}}}, 0, 0, "4 files would be copied into 2 new folders"},
        {{{false, {false}}}, 1, 0, "1 file would be copied into 1 new folder \u00b7 1 skipped"},
        {{{true, {false, true}}}, 0, 0, "2 files would be copied into 1 existing folder \u00b7 1 converted to MP3"},
        {{{true, {false}}, {false, {true, true}}},
         2,
         1,
         "3 files would be copied into 2 folders, 1 of them new \u00b7 2 converted to MP3 \u00b7 2 skipped "
         "\u00b7 1 could not be placed"},
        {{}, 3, 0, "No file would be copied \u00b7 3 skipped"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        engine::OrganizePlan plan;
        for (const auto &[exists, conversions] : c.folders) {
            engine::PlannedFolder &folder = plan.folders.emplace_back();
            folder.exists = exists;
            for (bool convert : conversions)
                folder.files.emplace_back().convert = convert;
        }
        plan.skipped.resize(static_cast<std::size_t>(c.skipped));
        plan.failed.resize(static_cast<std::size_t>(c.failed));
        EXPECT_EQ(PreviewWindow::summaryText(plan), QString::fromUtf8(c.text));
    }
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
