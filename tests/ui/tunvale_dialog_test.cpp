#include "dialog_fixture.h"

#include "engine/session/run_options.h"
#include "output/mp3_encoder.h"
#include "output/place_file.h"
#include "output/status_reporter.h"
#include "support/audio_tools.h"
#include "ui/colored_edit.h"
#include "ui/manual_window.h"
#include "ui/work_progress_text.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

namespace tunvale::ui {
namespace {

namespace fs = std::filesystem;
using namespace output::colour;
using testing::ScriptedPrompts;
using testing::StoreFixture;
using tunvale::testing::BlockingPlacement;

TEST_F(DialogTest, FirstStartWritesEveryDefaultAndShowsIt)
{
    auto dialog = makeDialog();
    for (const engine::OptionField &field : engine::optionFields()) {
        const QString name = QString::fromLatin1(field.valueName.data(), field.valueName.size());
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(m_store.stored(name).isValid());
        EXPECT_EQ(m_store.stored(name).toInt(), field.firstStartDefault);
        EXPECT_EQ(field.of(m_options), field.firstStartDefault);
    }
    EXPECT_EQ(m_store.stored("SRC_DIR").toString(), defaultFolder());
    EXPECT_EQ(m_store.stored("DST_DIR").toString(), defaultDestination());
    EXPECT_EQ(dialog->sourceEdit()->text(), defaultFolder());
    EXPECT_EQ(dialog->destinationEdit()->text(), defaultDestination());
    EXPECT_NE(defaultDestination(), defaultFolder());

    struct Shown {
        int id;
        bool checked;
    };
    const Shown shown[] = {
        {1012, true}, {1013, true},  {1014, true},  {1015, true},  {1004, true},  {1005, false},
        {1016, true}, {1017, true},  {1018, false}, {1020, true},  {1021, true},  {1027, true},
        {1028, true}, {1029, true},  {1019, false}, {1030, false}, {1022, false}, {1023, false},
        {1024, true}, {1025, false}, {1100, true}, {1101, true}, {1102, true},
    };
    for (const Shown &s : shown) {
        SCOPED_TRACE(s.id);
        ASSERT_NE(dialog->control(s.id), nullptr);
        EXPECT_EQ(dialog->control(s.id)->isChecked(), s.checked);
    }
    // The status box waits, hidden, for its first text; the bar is empty.
    EXPECT_FALSE(dialog->statusBox()->isVisible());
    EXPECT_EQ(dialog->statusBox()->colour(), kGreen);
    EXPECT_EQ(dialog->progressBar()->value(), 0);
    EXPECT_EQ(dialog->progressBar()->maximum(), 100);
    EXPECT_TRUE(m_prompts.messages.isEmpty());
}

TEST_F(DialogTest, EveryControlCarriesItsCaption)
{
    auto dialog = makeDialog();
    struct Caption {
        int id;
        std::string caption;
    };
    const Caption captions[] = {
        {1000, "Select"},
        {1001, "Select"},
        {1012, "Mp3"},
        {1013, "Flac"},
        {1014, "Wav"},
        {1015, "Aiff"},
        {1100, "Ogg"},
        {1101, "Opus"},
        {1102, "M4a"},
        {1004, "Artist"},
        {1005, "Album"}, // its letters all belong to other controls: reached with the arrow keys
        {1006, "Genre"},
        {1007, "Decade"},
        {1008, "Year"},
        {1016, "Group isolated files in a \"Miscellaneous\" folder"},
        {1017, "Accept similitudes"},
        {1018, "Replace existing files (otherwise create another iteration)"},
        {1021, "Use the File Name to fill the -MISSING- Title and Artist tags"},
        {1020, "Use the Meta Data Tags to create new File Names"},
        {1027, "Add the Artist in head of the Track Title ( when not already present )"},
        {1028, "Add the Composer to the Track Title ( when not already present )"},
        {1029, "Update the Track Numbers inside each folder"},
        {1019, "Increment step = 10 for spacing"},
        {1030, "Remove the Album Art Pictures"},
        // The version of the library the program runs with, not the one it was first written for.
        {1022, "Create files in 'mp3' format (using LAME " + output::lameVersion() + ")"},
        {1023, "Standard quality 128K CBR"},
        {1024, "High quality 250K VBR"},
        {1025, "Max quality 320K CBR"},
        {1009, "Organize"},
        {2, "Cancel"},
        {1, "Exit"},
    };
    for (const Caption &c : captions) {
        SCOPED_TRACE(c.id);
        ASSERT_NE(dialog->control(c.id), nullptr);
        EXPECT_EQ(testing::shownCaption(dialog->control(c.id)->text()), QString::fromStdString(c.caption));
    }
    EXPECT_EQ(dialog->control(2000), nullptr);   // no Debug button
    EXPECT_EQ(dialog->windowTitle(), "Tunvale");
    ASSERT_NE(dialog->aboutAction(), nullptr);
    EXPECT_EQ(dialog->aboutAction()->text(), "&About Tunvale...");
    // Help also opens the manual, beside the window (F1).
    ASSERT_NE(dialog->manualAction(), nullptr);
    EXPECT_EQ(dialog->manualAction()->shortcut(), QKeySequence(QKeySequence::HelpContents));
    dialog->manualAction()->trigger();
    ASSERT_NE(dialog->manualWindow(), nullptr);
    EXPECT_TRUE(dialog->manualWindow()->isVisible());
    EXPECT_TRUE(dialog->isVisible());
    // No default button: Return never means Exit.
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->window() == dialog.get()) {
            EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
        }
    }
}

TEST_F(DialogTest, StoredValuesAreReadWithTheirRules)
{
    struct Case {
        const char *name;
        int stored;
        int inOptions;          // what RunOptions holds after loading
        int checkedId;          // the control shown checked, 0 for none
        std::vector<int> unchecked;
    };
    const Case cases[] = {
        {"IDC_TRk_INCREMENT", 0, 1, 0, {1019}},
        {"IDC_TRk_INCREMENT", 25, 10, 1019, {}},
        {"IDC_TRk_INCREMENT", 10, 10, 1019, {}},
        {"MP3_QUALITY", 0, 0, 1023, {1024, 1025}},
        {"MP3_QUALITY", 7, 7, 1025, {1023, 1024}},
        {"TAG_ID", 1007, 1007, 1007, {1004, 1005, 1006, 1008}},
        {"TAG_ID", 999, 999, 0, {1004, 1005, 1006, 1007, 1008}},
        {"FILE_REPLACE", 1, 1, 1018, {}},
        {"MP3_FORMAT", 0, 0, 0, {1012}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.stored));
        m_store.store(c.name, c.stored);
        auto dialog = makeDialog();
        const engine::OptionField *field = engine::findOptionField(c.name);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->of(m_options), c.inOptions);
        // The store keeps what was there: only the reading is clamped.
        EXPECT_EQ(m_store.stored(c.name).toInt(), c.stored);
        if (c.checkedId) {
            EXPECT_TRUE(dialog->control(c.checkedId)->isChecked());
        }
        for (int id : c.unchecked)
            EXPECT_FALSE(dialog->control(id)->isChecked()) << id;
    }
}

TEST_F(DialogTest, OutOfRangeCriterionGivesCodeZeroAtOrganize)
{
    m_store.store("TAG_ID", 999);
    auto dialog = makeDialog();
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    fs::create_directories(m_dir / "out");
    setFolders(*dialog, text(library), text(m_dir / "out"));
    dialog->control(control_id::kOrganize)->click();
    EXPECT_EQ(dialog->session().criterionCode, 0);
    ASSERT_TRUE(waitForSummary(*dialog));
}

TEST_F(DialogTest, ChangesAreStoredAtOnce)
{
    auto dialog = makeDialog();
    struct Click {
        int id;
        const char *name;
        int stored;
    };
    // The quality radios apply only with conversion ticked: it is ticked before they are clicked.
    const Click clicks[] = {
        {1018, "FILE_REPLACE", 1}, {1012, "MP3_FORMAT", 0}, {1019, "IDC_TRk_INCREMENT", 10},
        {1019, "IDC_TRk_INCREMENT", 1}, {1008, "TAG_ID", 1008}, {1006, "TAG_ID", 1006},
        {1022, "MP3_CONVERT", 1}, {1023, "MP3_QUALITY", 0}, {1025, "MP3_QUALITY", 2},
        {1030, "REMOVE_PICTS", 1}, {1016, "GROUP_ISOLATED", 0},
    };
    for (const Click &c : clicks) {
        SCOPED_TRACE(c.id);
        clickIndicator(dialog->control(c.id));
        EXPECT_EQ(m_store.stored(c.name).toInt(), c.stored);
        EXPECT_EQ(engine::findOptionField(c.name)->of(m_options), c.stored);
    }
}

// Every refusal names the folder and the cause; the source is looked at first, and a
// destination that cannot be used is found before any file is read.
TEST_F(DialogTest, OrganizeRefusalsColourTheBoxesAndSayWhy)
{
    fs::create_directories(m_dir / "empty-source" / "notes");
    tunvale::testing::writeFile(m_dir / "empty-source" / "notes" / "readme.txt", "not audio");
    // The scan goes by the name: this source has a file to sort, as far as the checks go.
    tunvale::testing::writeFile(m_dir / "named-source" / "a.mp3", "not really audio");
    fs::create_directories(m_dir / "out");
    tunvale::testing::writeFile(m_dir / "plain", "a file, not a folder");
    const QString plain = text(m_dir / "plain");
    const QString named = text(m_dir / "named-source");
    struct Case {
        const char *what;
        QString source;
        QString destination;
        std::deque<bool> answers;
        QString message;            // empty: no message
        QString statusWord;         // empty: the box stays hidden
        std::uint32_t statusColour;
        std::uint32_t sourceColour;
        std::uint32_t destinationColour;   // 0: not checked
    };
    const Case cases[] = {
        {"empty source",
         "",
         text(m_dir / "out"),
         {},
         "Please define a valid Source folder",
         "Warning",
         kYellow,
         kYellow,
         0},
        {"missing source",
         text(m_dir / "nowhere"),
         text(m_dir / "out"),
         {},
         "Sorry, the source Folder doesn't exist!\n\n\"" + text(m_dir / "nowhere") + "\" does not exist.",
         "Warning",
         kYellow,
         kYellow,
         0},
        // Checked first: the destination below a file is not reached.
        {"source is a file",
         plain,
         plain + "/b",
         {},
         "Please define a valid Source folder\n\n\"" + plain + "\" is a file, not a folder.",
         "Warning",
         kYellow,
         kYellow,
         0},
        {"empty destination", named, "", {}, "Please define a valid Destination folder", "Error", kRed, kGreen, kRed},
        {"destination is a file",
         named,
         plain,
         {},
         "Please define a valid Destination folder\n\n\"" + plain + "\" is a file, not a folder.",
         "Error",
         kRed,
         kGreen,
         kRed},
        {"destination below a file",
         named,
         plain + "/b",
         {},
         "Please define a valid Destination folder\n\n\"" + plain + "/b\" cannot be created: \"" + plain
             + "\" is a file, not a folder.",
         "Error",
         kRed,
         kGreen,
         kRed},
        {"declined destination", named, text(m_dir / "new-out"), {false}, "", "", 0, kGreen, 0},
        // A source without audio is refused before the missing destination is asked for.
        {"no audio, destination two levels deep",
         text(m_dir / "empty-source"),
         text(m_dir / "a" / "b"),
         {},
         "Sorry, found no audio files that could be sorted!",
         "Warning",
         kYellow,
         kGreen,
         0},
        {"no audio",
         text(m_dir / "empty-source"),
         text(m_dir / "out"),
         {},
         "Sorry, found no audio files that could be sorted!",
         "Warning",
         kYellow,
         kGreen,
         0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_prompts = ScriptedPrompts{};
        m_prompts.answers = c.answers;
        auto dialog = makeDialog();
        setFolders(*dialog, c.source, c.destination);
        dialog->control(control_id::kOrganize)->click();

        EXPECT_FALSE(dialog->runActive());
        if (c.message.isEmpty()) {
            EXPECT_TRUE(m_prompts.messages.isEmpty());
        } else {
            ASSERT_EQ(m_prompts.messages.size(), 1);
            EXPECT_EQ(m_prompts.messages[0], c.message);
        }
        EXPECT_TRUE(m_prompts.answers.empty()) << "a question was not asked";
        EXPECT_EQ(m_prompts.questions.size(), static_cast<qsizetype>(c.answers.size()));
        if (!c.answers.empty()) {
            EXPECT_EQ(m_prompts.questions.value(0), "This destination Folder doesn't exist.\r\nDo you want to create it ?");
        }
        if (c.statusWord.isEmpty()) {
            EXPECT_FALSE(dialog->statusBox()->isVisible());
        } else {
            EXPECT_TRUE(dialog->statusBox()->isVisible());
            EXPECT_EQ(dialog->statusBox()->text(), c.statusWord);
            EXPECT_EQ(dialog->statusBox()->colour(), c.statusColour);
        }
        EXPECT_EQ(dialog->sourceEdit()->colour(), c.sourceColour);
        if (c.destinationColour) {
            EXPECT_EQ(dialog->destinationEdit()->colour(), c.destinationColour);
        }
    }
    EXPECT_FALSE(fs::exists(m_dir / "new-out"));
    EXPECT_FALSE(fs::exists(m_dir / "a"));
    EXPECT_TRUE(fs::is_regular_file(m_dir / "plain"));
}

TEST_F(DialogTest, CompleteRunEndsWithTheSummaryInItsColour)
{
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    auto dialog = makeDialog();
    // A missing destination, answered Yes: created, then used.
    const fs::path out = m_dir / "sorted";
    m_prompts.answers = {true};
    setFolders(*dialog, text(library), text(out));
    dialog->control(control_id::kOrganize)->click();
    EXPECT_TRUE(fs::is_directory(out));
    ASSERT_TRUE(waitForSummary(*dialog));

    EXPECT_TRUE(m_prompts.messages.isEmpty()) << m_prompts.messages.join("\n").toStdString();
    EXPECT_EQ(dialog->lastSummary()->line, u"Done: on 3 files, 3 are copied in 2 folders");
    EXPECT_EQ(dialog->statusBox()->text(), "Done: on 3 files, 3 are copied in 2 folders");
    EXPECT_EQ(dialog->statusBox()->colour(), kLightBlue);
    EXPECT_TRUE(dialog->statusBox()->isVisible());
    // The bar stays full: the run reached its end.
    EXPECT_GT(dialog->progressBar()->maximum(), 0);
    EXPECT_EQ(dialog->progressBar()->value(), dialog->progressBar()->maximum());
    EXPECT_EQ(dialog->sourceEdit()->colour(), kGreen);
    EXPECT_EQ(dialog->destinationEdit()->colour(), kGreen);
    EXPECT_EQ(m_store.stored("SRC_DIR").toString(), text(library));
    EXPECT_EQ(m_store.stored("DST_DIR").toString(), text(out));
    EXPECT_EQ(dialog->session().mainDirectory, out);

    const auto tree = tunvale::testing::listTree(out);
    const auto count = [&](const std::string &prefix) {
        return std::count_if(tree.begin(), tree.end(), [&](const std::string &p) {
            return p.rfind(prefix, 0) == 0 && p.back() != '/';
        });
    };
    EXPECT_EQ(count("Alpha Band/"), 2);
    EXPECT_EQ(count("Miscellaneous/"), 1);
    // The sources are only read.
    EXPECT_TRUE(fs::exists(library / "loose" / "solo.mp3"));
}

TEST_F(DialogTest, DemoLibraryConvertsWholeWithConversionTicked)
{
    for (const char *tool : {"sox", "lame", "flac", "oggenc", "opusenc", "ffmpeg"}) {
        if (!tunvale::testing::haveTool(tool))
            GTEST_SKIP() << tool << " is needed to make the demo library";
    }
    if (!tunvale::testing::haveMutagen())
        GTEST_SKIP() << "mutagen is needed to tag the demo library";
    const fs::path source = m_dir / "demo";
    ASSERT_EQ(tunvale::testing::runCommand(tunvale::testing::shellQuote(std::string(TUNVALE_SOURCE_DIR)
                                                                        + "/scripts/make-demo-library.sh")
                                           + " " + tunvale::testing::shellQuote(source.string()) + " 2>&1"),
              0);
    auto dialog = makeDialog();
    clickIndicator(dialog->control(1022));
    ASSERT_EQ(m_options.mp3Convert, 1);
    fs::create_directories(m_dir / "sorted");
    setFolders(*dialog, text(source), text(m_dir / "sorted"));
    dialog->control(control_id::kOrganize)->click();
    ASSERT_TRUE(waitForSummary(*dialog));
    EXPECT_TRUE(m_prompts.messages.isEmpty()) << m_prompts.messages.join("\n").toStdString();
    EXPECT_EQ(dialog->lastSummary()->line, u"Done: on 22 files, 22 are copied in 8 folders");
    // The FLAC (16-bit), the AIFF (16-bit) and the WAV (24-bit) became MP3 files; the lossy
    // Ogg, Opus and M4A files are copied as they are.
    std::map<std::string, int> copies;
    for (const auto &entry : fs::recursive_directory_iterator(m_dir / "sorted")) {
        if (entry.is_regular_file())
            ++copies[entry.path().extension().string()];
    }
    const std::map<std::string, int> expected = {{".mp3", 14}, {".ogg", 2}, {".opus", 2}, {".m4a", 4}};
    EXPECT_EQ(copies, expected);
}

TEST_F(DialogTest, CancelAfterARunDeletesEverythingOrOnlyTheSessionFiles)
{
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    struct Case {
        const char *what;
        std::deque<bool> answers;
        QString message;
    };
    const Case cases[] = {
        {"everything", {true}, "3 files deleted in 2 directories removed..."},
        {"session files", {false, true}, "3 files deleted in 2 directories removed..."},
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_prompts = ScriptedPrompts{};
        auto dialog = makeDialog();
        const fs::path out = m_dir / ("out" + std::to_string(round++));
        fs::create_directories(out);
        setFolders(*dialog, text(library), text(out));
        dialog->control(control_id::kOrganize)->click();
        ASSERT_TRUE(waitForSummary(*dialog));
        ASSERT_TRUE(fs::exists(out / "Alpha Band"));

        // Escape is Cancel.
        m_prompts.answers = c.answers;
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(m_prompts.answers.empty());
        // Each question keeps its sentence as its first line and says what a Yes takes.
        EXPECT_EQ(m_prompts.questions.value(0).section('\n', 0, 0), "Do you want to delete everything?");
        EXPECT_EQ(m_prompts.questions.value(0), "Do you want to delete everything?\n\n"
                                                "3 files in 2 folders created by this session will be deleted.");
        EXPECT_EQ(m_prompts.defaults.front(), DefaultAnswer::No);
        if (c.answers.size() == 2) {
            EXPECT_EQ(m_prompts.questions.value(1).section('\n', 0, 0),
                      "Do you want to delete the files created during this session?");
            EXPECT_EQ(m_prompts.questions.value(1),
                      "Do you want to delete the files created during this session?\n\n"
                      "3 files created by this session will be deleted.\n"
                      "2 folders created by this session will then be empty and removed.");
            EXPECT_EQ(m_prompts.defaults.back(), DefaultAnswer::Yes);
        }
        ASSERT_EQ(m_prompts.messages.size(), 1);
        EXPECT_EQ(m_prompts.messages[0], c.message);
        EXPECT_EQ(dialog->statusBox()->colour(), kLightRed);
        // The status line reports the undo, no longer the copies.
        EXPECT_EQ(dialog->statusBox()->text(), c.message);
        EXPECT_FALSE(fs::exists(out / "Alpha Band"));
        EXPECT_FALSE(fs::exists(out / "Miscellaneous"));
        EXPECT_TRUE(fs::is_directory(out));   // it was not created by the session
        EXPECT_TRUE(fs::exists(library / "albums" / "alpha" / "one.mp3"));

        // A second Cancel finds nothing left to take back: no question, and the status line
        // keeps the count.
        m_prompts.questions.clear();
        dialog->control(control_id::kCancel)->click();
        EXPECT_TRUE(m_prompts.questions.isEmpty()) << m_prompts.questions.join("\n").toStdString();
        EXPECT_EQ(m_prompts.messages.value(1), "Nothing to cancel!");
        EXPECT_EQ(dialog->statusBox()->text(), c.message);
    }
}

// No to both undo questions keeps everything, and the status line says so in the colour it
// had, without a message that there was nothing to cancel. Each question counts what its own
// Yes would take: a file the user put in a created folder is taken only by the first, and
// keeps that folder from being removed by the second.
TEST_F(DialogTest, NoToTheUndoQuestionsKeepsEverythingAndSaysSo)
{
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    auto dialog = makeDialog();
    const fs::path out = m_dir / "out";
    fs::create_directories(out);
    setFolders(*dialog, text(library), text(out));
    dialog->control(control_id::kOrganize)->click();
    ASSERT_TRUE(waitForSummary(*dialog));
    tunvale::testing::writeFile(out / "Alpha Band" / "mine.txt", "the user's own");
    const auto tree = tunvale::testing::listTree(out);
    const std::uint32_t summaryColour = dialog->statusBox()->colour();

    m_prompts.answers = {false, false};
    dialog->control(control_id::kCancel)->click();
    ASSERT_EQ(m_prompts.questions.size(), 2);
    EXPECT_EQ(m_prompts.questions[0],
              "Do you want to delete everything?\n\n"
              "4 files in 2 folders created by this session will be deleted.\n"
              "Among them, 1 file that this session did not create.");
    EXPECT_EQ(m_prompts.questions[1],
              "Do you want to delete the files created during this session?\n\n"
              "3 files created by this session will be deleted.\n"
              "1 folder created by this session will then be empty and removed.");
    EXPECT_TRUE(m_prompts.messages.isEmpty()) << m_prompts.messages.join("\n").toStdString();
    EXPECT_EQ(dialog->statusBox()->text(), "Nothing was deleted: what this session made is kept.");
    EXPECT_EQ(dialog->statusBox()->colour(), summaryColour);
    EXPECT_NE(dialog->statusBox()->colour(), kLightRed);
    EXPECT_EQ(tunvale::testing::listTree(out), tree);
}

TEST_F(DialogTest, ASecondOrganizeDuringARunDoesNothing)
{
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    const BlockingPlacement held;
    auto dialog = startHeldRun(gatedSetup(held), held, library);
    ASSERT_GT(held.entered(), 0);
    ASSERT_TRUE(dialog->runActive());

    // Were the click taken, the empty source would be refused with a message.
    dialog->sourceEdit()->setText("");
    dialog->control(control_id::kOrganize)->click();
    EXPECT_TRUE(m_prompts.messages.isEmpty());
    EXPECT_EQ(dialog->session().sourceFiles.size(), 3u);
    // Options stay live during the run and are stored at once.
    clickIndicator(dialog->control(1018));
    EXPECT_EQ(m_store.stored("FILE_REPLACE").toInt(), 1);

    held.release();
    ASSERT_TRUE(waitForSummary(*dialog));
    EXPECT_EQ(dialog->lastSummary()->line, u"Done: on 3 files, 3 are copied in 2 folders");
}

TEST_F(DialogTest, CancelDuringARunAsksToAbortAndStopsTheRunOnYes)
{
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    const BlockingPlacement held;
    DialogSetup setup = gatedSetup(held);
    // Placement keeps reporting through the synchronous status line while the dialog waits
    // for it: neither side may wait for the other.
    auto inner = setup.hooks.placeFile;
    setup.hooks.placeFile = [inner](int index, int count, output::PlacementContext &context) {
        for (int i = 0; i < 20; ++i) {
            context.status->showStatus(u"Copying: slowly", kLightGreen);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return inner(index, count, context);
    };
    setup.abortTiming.finishedWait = std::chrono::milliseconds(8000);
    auto dialog = startHeldRun(std::move(setup), held, library);
    ASSERT_GT(held.entered(), 0);

    // No to the abort: nothing is touched and the run goes on.
    m_prompts.answers = {false};
    dialog->control(control_id::kCancel)->click();
    EXPECT_EQ(m_prompts.questions.value(0), "Do you want to abort the Process?");
    EXPECT_TRUE(dialog->runActive());
    EXPECT_TRUE(m_prompts.messages.isEmpty());

    // Yes: the current file is finished and the run stops before the next one; then No to both
    // undo questions leaves the copied file and shows no count.
    m_prompts.answers = {true, false, false};
    held.releaseAfter(std::chrono::milliseconds(100));
    dialog->control(control_id::kCancel)->click();
    EXPECT_FALSE(dialog->runActive());
    EXPECT_TRUE(m_prompts.answers.empty());
    EXPECT_TRUE(m_prompts.messages.isEmpty()) << m_prompts.messages.join("\n").toStdString();
    EXPECT_EQ(dialog->session().userAborted, 1);
    // The worker reached its end within the wait (it was not given up, which would have
    // written the summary at once).
    EXPECT_FALSE(dialog->lastSummary().has_value());
    EXPECT_NE(dialog->statusBox()->text(), "Being obliged to kill the process...!");
    // The run's own end notice then writes the summary, starting with "Aborting".
    ASSERT_TRUE(testing::waitFor([&] { return dialog->lastSummary().has_value(); }));
    EXPECT_EQ(dialog->lastSummary()->word, u"Aborting");
    EXPECT_TRUE(dialog->statusBox()->text().startsWith("Aborting"));
    EXPECT_EQ(dialog->statusBox()->colour(), kLightRed);
    EXPECT_LT(dialog->session().filesCopied, 3);
}

TEST_F(DialogTest, AWorkerStuckPastTheWaitIsGivenUp)
{
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    const BlockingPlacement held;
    DialogSetup setup = gatedSetup(held);
    setup.abortTiming.finishedWait = std::chrono::milliseconds(200);
    setup.abortTiming.afterGiveUp = std::chrono::milliseconds(10);
    auto dialog = startHeldRun(std::move(setup), held, library);
    ASSERT_GT(held.entered(), 0);

    m_prompts.answers = {true, false, false};
    dialog->control(control_id::kCancel)->click();
    EXPECT_FALSE(dialog->runActive());
    ASSERT_TRUE(dialog->lastSummary().has_value());
    EXPECT_EQ(dialog->lastSummary()->word, u"Aborting");
    // Notices the worker had posted before it was given up do not overwrite the summary.
    testing::waitFor([] { return false; }, 200);
    EXPECT_EQ(dialog->statusBox()->text(), QString::fromStdU16String(dialog->lastSummary()->line));
    // No new run while the given-up worker has not returned.
    dialog->control(control_id::kOrganize)->click();
    EXPECT_FALSE(dialog->runActive());

    held.release();
    ASSERT_TRUE(testing::waitFor([&] { return !dialog->organizer().abandonedWorkerRunning(); }));
}

TEST_F(DialogTest, AFailureMessageIsShownWhileTheWorkerWaits)
{
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    DialogSetup setup;
    std::atomic<int> placed{0};
    setup.hooks.placeFile = [&placed](int, int, output::PlacementContext &) {
        ++placed;
        return 5;   // a failure of that file
    };
    auto dialog = makeDialog(std::move(setup));
    // While a message box is open the worker does not go on to the next file.
    std::vector<int> placedWhenShown;
    m_prompts.onMessage = [&](const QString &) {
        const int before = placed.load();
        QThread::msleep(100);
        placedWhenShown.push_back(placed.load() - before);
    };
    fs::create_directories(m_dir / "out");
    setFolders(*dialog, text(library), text(m_dir / "out"));
    dialog->control(control_id::kOrganize)->click();
    ASSERT_TRUE(waitForSummary(*dialog));
    EXPECT_FALSE(m_prompts.messages.isEmpty());
    for (int moved : placedWhenShown)
        EXPECT_EQ(moved, 0);
    EXPECT_EQ(dialog->lastSummary()->word, u"Error");
    EXPECT_EQ(dialog->statusBox()->colour(), kRed);
}

// Return acts on the focused control, as Space does, and never closes the window.
TEST_F(DialogTest, ReturnActsOnTheFocusedControlAndClosingDuringARunAsksFirst)
{
    {
        auto dialog = makeDialog();
        QApplication::setActiveWindow(dialog.get());
        struct Press {
            int id;
            Qt::Key key;
            const char *valueName;
            int stored;
        };
        const Press presses[] = {
            {1018, Qt::Key_Return, "FILE_REPLACE", 1}, // a check box is ticked
            {1018, Qt::Key_Enter, "FILE_REPLACE", 0},  // and unticked
            {1030, Qt::Key_Return, "REMOVE_PICTS", 1},
            {1007, Qt::Key_Return, "TAG_ID", 1007}, // a radio is chosen
        };
        for (const Press &p : presses) {
            SCOPED_TRACE(p.valueName);
            dialog->control(p.id)->setFocus(Qt::TabFocusReason);
            QTest::keyClick(dialog->control(p.id), p.key);
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_EQ(m_store.stored(p.valueName).toInt(), p.stored);
        }
        // On a button it presses that button: Cancel, with nothing to cancel.
        dialog->control(control_id::kCancel)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(dialog->control(control_id::kCancel), Qt::Key_Return);
        EXPECT_EQ(m_prompts.messages, QStringList{"Nothing to cancel!"});
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), 0);
    }
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    const BlockingPlacement held;
    auto dialog = startHeldRun(gatedSetup(held), held, library);
    ASSERT_GT(held.entered(), 0);

    // No: the window stays and the run goes on.
    m_prompts.answers = {false};
    dialog->close();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->runActive());
    m_prompts.answers = {false};
    dialog->control(control_id::kExit)->click();
    EXPECT_TRUE(dialog->isVisible());

    // Yes: the run is stopped before the window goes.
    m_prompts.answers = {true};
    held.releaseAfter(std::chrono::milliseconds(100));
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->runActive());
    EXPECT_TRUE(dialog->session().filesCreatedInSession.empty());
}

TEST_F(DialogTest, SelectButtonsUseThePickerAndStoreTheFolder)
{
    fs::create_directories(m_dir / "music");
    auto dialog = makeDialog();
    m_prompts.pickedFolders = {text(m_dir / "music"), std::nullopt, text(m_dir / "new-dest")};
    dialog->control(control_id::kSelectSource)->click();
    ASSERT_EQ(m_prompts.pickers.size(), 1u);
    EXPECT_EQ(m_prompts.pickers[0].title, "Folder where the Audio Files are located");
    EXPECT_TRUE(m_prompts.pickers[0].readOnly);
    EXPECT_EQ(m_prompts.pickers[0].start, defaultFolder());
    EXPECT_EQ(dialog->sourceEdit()->text(), text(m_dir / "music"));
    EXPECT_EQ(dialog->sourceEdit()->colour(), kGreen);
    EXPECT_EQ(m_store.stored("SRC_DIR").toString(), text(m_dir / "music"));

    // A cancelled picker changes nothing.
    const QString before = dialog->destinationEdit()->text();
    dialog->control(control_id::kSelectDestination)->click();
    EXPECT_EQ(dialog->destinationEdit()->text(), before);

    // A typed destination that does not exist yet is kept, shown light red until Organize.
    dialog->control(control_id::kSelectDestination)->click();
    ASSERT_EQ(m_prompts.pickers.size(), 3u);
    EXPECT_EQ(m_prompts.pickers[2].title, "Main Folder where the Sub-folders will be created");
    EXPECT_FALSE(m_prompts.pickers[2].readOnly);
    EXPECT_EQ(m_prompts.pickers[2].start, before);
    EXPECT_EQ(dialog->destinationEdit()->text(), text(m_dir / "new-dest"));
    EXPECT_EQ(dialog->destinationEdit()->colour(), 0xFFFFFFu); // as when typed: to be created
    EXPECT_EQ(dialog->destinationStateLabel()->text(), "Will be created");
    EXPECT_EQ(m_store.stored("DST_DIR").toString(), text(m_dir / "new-dest"));
}

TEST_F(DialogTest, FoldersGivenAtStartAreShownInsteadOfTheStoredOnes)
{
    m_store.store("SRC_DIR", text(m_dir.path()));
    DialogSetup setup;
    setup.source = text(m_dir / "given");
    setup.destination = text(m_dir.path());
    auto dialog = makeDialog(std::move(setup));
    EXPECT_EQ(dialog->sourceEdit()->text(), text(m_dir / "given"));
    EXPECT_EQ(dialog->sourceEdit()->colour(), kLightRed);   // it does not exist
    EXPECT_EQ(dialog->destinationEdit()->text(), text(m_dir.path()));
    EXPECT_EQ(dialog->destinationEdit()->colour(), kGreen);
    EXPECT_EQ(m_store.stored("SRC_DIR").toString(), text(m_dir.path()));
}

} // namespace
} // namespace tunvale::ui

namespace tunvale::ui {
namespace {

TEST_F(DialogTest, NoticesMoveTheBarAndRecolourTheBox)
{
    auto dialog = makeDialog();
    struct Progress {
        std::int32_t position, range;
        int value, maximum;
    };
    const Progress steps[] = {
        {1, 72000, 1, 72000},   // 9000 files: no 16-bit wrap of the range
        {500, 0, 500, 72000},   // a position alone keeps the range
        {90000, 0, 72000, 72000},   // past the end: a full bar
        {0, 0, 0, 72000},
        {3, 10, 3, 10},
    };
    for (const Progress &p : steps) {
        dialog->applyProgress(p.position, p.range);
        EXPECT_EQ(dialog->progressBar()->value(), p.value);
        EXPECT_EQ(dialog->progressBar()->maximum(), p.maximum);
    }

    // Colour 0 leaves the colour; an empty text leaves the text and keeps the box hidden.
    dialog->applyStatus(kYellow, "");
    EXPECT_EQ(dialog->statusBox()->colour(), kYellow);
    EXPECT_FALSE(dialog->statusBox()->isVisible());
    dialog->applyStatus(0, "Loading: a.mp3");
    EXPECT_EQ(dialog->statusBox()->colour(), kYellow);
    EXPECT_EQ(dialog->statusBox()->text(), "Loading: a.mp3");
    EXPECT_TRUE(dialog->statusBox()->isVisible());
    dialog->applyStatus(kLightBlue, "");
    EXPECT_EQ(dialog->statusBox()->text(), "Loading: a.mp3");
    EXPECT_EQ(dialog->statusBox()->colour(), kLightBlue);
}

TEST_F(DialogTest, ShowStatusFromAnotherThreadReturnsOnceShown)
{
    auto dialog = makeDialog();
    DialogSink sink(*dialog);
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        sink.showStatus(u"Copying: x.mp3", kLightGreen);
        returned = true;
    });
    // Not shown, and not returned, until the dialog's thread handles it.
    QThread::msleep(100);
    EXPECT_FALSE(returned.load());
    EXPECT_FALSE(dialog->statusBox()->isVisible());
    ASSERT_TRUE(testing::waitFor([&] { return returned.load(); }, 5000));
    worker.join();
    EXPECT_EQ(dialog->statusBox()->text(), "Copying: x.mp3");
    EXPECT_EQ(dialog->statusBox()->colour(), kLightGreen);
    EXPECT_TRUE(dialog->statusBox()->isVisible());

    // While the dialog waits for the worker, nothing the worker says waits for the dialog; the
    // text still arrives afterwards, and a given-up run's status lines are dropped.
    sink.setReleaseWaits(true);
    std::thread released([&] {
        sink.showStatus(u"Copying: y.mp3", kLightGreen);
        sink.showMessage(u"Sorry, could not copy y.mp3");
    });
    released.join();   // returns without the dialog's thread doing anything
    sink.setReleaseWaits(false);
    // A file line a moment after another is shown once the status line may change again.
    EXPECT_TRUE(testing::waitFor([&] { return dialog->statusBox()->text() == "Copying: y.mp3"; }, 2000));
    EXPECT_EQ(m_prompts.messages, QStringList{"Sorry, could not copy y.mp3"});

    sink.setReleaseWaits(true);
    std::thread dropped([&] { sink.showStatus(u"Copying: z.mp3", kLightGreen); });
    dropped.join();
    sink.dropPending();
    sink.setReleaseWaits(false);
    testing::waitFor([] { return false; }, 100 + StatusBox::kPassingInterval);
    EXPECT_EQ(dialog->statusBox()->text(), "Copying: y.mp3");
}

} // namespace
} // namespace tunvale::ui

namespace tunvale::ui {
namespace {

// Once a run reports its work the bar shows the weighted share and "n of N"; the run's
// position notices are left aside until the summary fills and empties the bar; a report
// after the summary changes nothing.
TEST_F(DialogTest, WorkReportsDriveTheBarUntilTheSummary)
{
    auto dialog = makeDialog();
    QProgressBar *bar = dialog->progressBar();
    dialog->session().summaryShown = 0;   // a run in progress
    dialog->applyProgress(1, 24);
    EXPECT_EQ(bar->maximum(), 24);
    EXPECT_FALSE(bar->isTextVisible());

    using engine::RunPhase;
    dialog->applyWork({RunPhase::Loading, 2, 3, 250});
    EXPECT_EQ(bar->maximum(), 1000);
    EXPECT_EQ(bar->value(), 250);
    EXPECT_TRUE(bar->isTextVisible());
    EXPECT_EQ(bar->text(), "Loading\u2026 25%");
    dialog->applyProgress(3, 0);   // the protocol's position: left aside
    dialog->applyProgress(2, 7);
    EXPECT_EQ(bar->maximum(), 1000);
    EXPECT_EQ(bar->value(), 250);
    dialog->applyWork({RunPhase::Placing, 0, 2, 750});
    EXPECT_EQ(bar->text(), "Placing\u2026 75%");
    dialog->applyWork({RunPhase::Placing, 2, 2, 875});
    EXPECT_EQ(bar->text(), "Placing\u2026 87%");

    dialog->session().summaryShown = 1;   // the summary is being written: the run's range is full
    dialog->session().progressRange = 7;
    dialog->applyProgress(7, 0);
    EXPECT_EQ(bar->maximum(), 7);
    EXPECT_EQ(bar->value(), 7);
    EXPECT_FALSE(bar->isTextVisible());
    dialog->applyWork({RunPhase::Placing, 2, 2, 990});   // late
    EXPECT_EQ(bar->maximum(), 7);
    EXPECT_FALSE(bar->isTextVisible());
}

// The bar says one measure, the share of the whole run, and on a long run the time left at
// the pace so far.
TEST(WorkProgressText, OneMeasureAndTheTimeLeftOnLongRuns)
{
    using namespace std::chrono;
    using engine::RunPhase;
    struct Case {
        RunPhase phase;
        int permille;
        milliseconds elapsed;
        const char *text;
    };
    const Case cases[] = {
        {RunPhase::Loading, 100, 2s, "Loading\u2026 %p%"}, // too young for a pace
        {RunPhase::Placing, 10, 60s, "Placing\u2026 %p%"}, // too little done
        {RunPhase::Placing, 500, 10s, "Placing\u2026 %p% \u00b7 less than a minute left"},
        {RunPhase::Placing, 250, 60s, "Placing\u2026 %p% \u00b7 about 3 minutes left"},
        {RunPhase::Loading, 500, 61s, "Loading\u2026 %p% \u00b7 about 1 minute left"},
        {RunPhase::Placing, 100, 20min, "Placing\u2026 %p% \u00b7 about 3 hours left"},
        {RunPhase::Placing, 1000, 60s, "Placing\u2026 %p%"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        engine::WorkProgress progress{c.phase, 1, 10, c.permille};
        EXPECT_EQ(WorkProgressText::format(progress, WorkProgressText::timeLeft(c.permille, c.elapsed)),
                  QString::fromUtf8(c.text));
    }
}

// Over a real run the bar only moves forward while the run reports, names each phase with the
// share of the whole run, reaches placement at the weight of loading (three quarters in a copy
// run) and stays full after the summary.
TEST_F(DialogTest, ProgressOverARunFollowsTheWork)
{
    auto dialog = makeDialog();
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    fs::create_directories(m_dir / "out");
    setFolders(*dialog, text(library), text(m_dir / "out"));
    QProgressBar *bar = dialog->progressBar();
    struct Seen {
        int value, maximum;
        QString text;
    };
    std::vector<Seen> seen;
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&] {
        seen.push_back({bar->value(), bar->maximum(), bar->isTextVisible() ? bar->text() : QString()});
    });
    dialog->control(control_id::kOrganize)->click();
    ASSERT_TRUE(waitForSummary(*dialog));

    std::vector<int> work;
    QStringList texts;
    for (const Seen &s : seen) {
        if (s.maximum == 1000 && !s.text.isEmpty()) {
            work.push_back(s.value);
            texts << s.text;
        }
    }
    ASSERT_FALSE(work.empty());
    EXPECT_TRUE(std::is_sorted(work.begin(), work.end()));
    for (const char *expected : {"Loading\u2026 0%", "Loading\u2026 50%", "Placing\u2026 75%", "Placing\u2026 91%"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected << "\n" << texts.join('\n').toStdString();
    // A short run: no time left is shown.
    for (const QString &shown : texts)
        EXPECT_FALSE(shown.contains("left")) << shown.toStdString();
    // Full at the end, without a text.
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_FALSE(bar->isTextVisible());
}

} // namespace
} // namespace tunvale::ui
