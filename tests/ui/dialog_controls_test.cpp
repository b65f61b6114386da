// The main dialog's controls as users of the keyboard and of assistive technology meet them:
// names, labels, mnemonics, tooltips, what is enabled when, Tab through the radio groups, Enter
// in a folder edit, the colours under a dark palette.
#include "dialog_fixture.h"

#include "formats/format_table.h"
#include "output/status_reporter.h"
#include "ui/colored_edit.h"
#include "ui/dialog_controls.h"
#include "ui/dialog_sink.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>

namespace tunvale::ui {
namespace {

using namespace output::colour;

QString accessibleName(QObject *object)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

QAccessible::Role accessibleRole(QObject *object)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
    return face ? face->role() : QAccessible::NoRole;
}

// The ids of every button, check box and radio button of the window but the Ogg and Opus boxes
// (1100, 1101) and the Album radio (1005), whose letters are all taken.
const int kAllControls[] = {1000, 1001, 1012, 1013, 1014, 1015, 1102, 1004, 1006, 1007, 1008, 1016, 1017, 1018, 1021,
                            1020, 1027, 1028, 1029, 1019, 1030, 1022, 1023, 1024, 1025, 1009, 1040, 2,    1};

TEST_F(DialogTest, EveryControlHasANameAndTheFolderEditsTheirLabels)
{
    auto dialog = makeDialog();
    struct Named {
        QObject *object;
        const char *name;
        QAccessible::Role role;
    };
    const Named named[] = {
        {dialog->sourceEdit(), "Source folder", QAccessible::EditableText},
        {dialog->destinationEdit(), "Destination folder", QAccessible::EditableText},
        {dialog->control(1000), "Select source folder", QAccessible::Button},
        {dialog->control(1001), "Select destination folder", QAccessible::Button},
        {dialog->progressBar(), "Progress of the run", QAccessible::ProgressBar},
        {dialog->control(1009), "Organize", QAccessible::Button},
        {dialog->control(1012), "Mp3", QAccessible::CheckBox},
        {dialog->control(1007), "Decade", QAccessible::RadioButton},
        {dialog->control(1025), "Max quality 320K CBR", QAccessible::RadioButton},
    };
    for (const Named &n : named) {
        SCOPED_TRACE(n.name);
        EXPECT_EQ(accessibleName(n.object), n.name);
        EXPECT_EQ(accessibleRole(n.object), n.role);
    }
    // Every control has a name, and no two buttons share one.
    std::set<QString> names;
    for (int id : kAllControls) {
        SCOPED_TRACE(id);
        const QString name = accessibleName(dialog->control(id));
        EXPECT_FALSE(name.isEmpty());
        EXPECT_TRUE(names.insert(name).second) << name.toStdString();
    }
    // The labels in front of the folder edits are their buddies, and say so to the reader.
    for (QLineEdit *edit : {static_cast<QLineEdit *>(dialog->sourceEdit()), static_cast<QLineEdit *>(dialog->destinationEdit())}) {
        QLabel *label = nullptr;
        for (QLabel *candidate : dialog->findChildren<QLabel *>())
            if (candidate->buddy() == edit)
                label = candidate;
        ASSERT_NE(label, nullptr);
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(edit);
        // Seen from the edit, the label is its Label.
        const auto relations = face->relations(QAccessible::Label);
        EXPECT_TRUE(std::any_of(relations.begin(), relations.end(),
                                [&](const auto &relation) { return relation.first->object() == label; }));
    }
}

TEST_F(DialogTest, StatusBoxGivesItsWholeTextToAssistiveTechnology)
{
    auto dialog = makeDialog();
    const QString longLine = "Loading: " + QString(40, 'x') + "/" + QString(200, 'y') + "/the end.flac";
    dialog->applyStatus(kLightGreen, longLine);
    dialog->statusBox()->resize(300, dialog->statusBox()->height());
    EXPECT_EQ(accessibleRole(dialog->statusBox()), QAccessible::StaticText);
    EXPECT_EQ(accessibleName(dialog->statusBox()), longLine);
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(dialog->statusBox())->text(QAccessible::Description).isEmpty());
    // On screen the line is shortened in the middle: the word and the file name stay.
    const QString shown = dialog->statusBox()->shownText();
    EXPECT_LT(shown.size(), longLine.size());
    EXPECT_TRUE(shown.startsWith("Loading: ")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("the end.flac")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    // The summary words reach the reader too.
    dialog->applyStatus(kRed, "Error");
    EXPECT_EQ(accessibleName(dialog->statusBox()), "Error");
}

// Every new text of the status box is announced to assistive technology (a label announces
// each text it is given): the file lines, hundreds a second in a run, are shown a few times a
// second at most (the newest one), the summary at once.
TEST_F(DialogTest, StatusAnnouncementsAreThrottled)
{
    auto dialog = makeDialog();
    int shown = 0;
    QObject::connect(dialog->statusBox(), &StatusBox::textShown, dialog.get(), [&] { ++shown; });

    DialogSink sink(*dialog);
    std::atomic<bool> done{false};
    QElapsedTimer clock;
    clock.start();
    std::thread worker([&] {
        for (int i = 0; i < 400; ++i) {
            const std::u16string number = QString::number(i).toStdU16String();
            if (i % 2 == 0)
                sink.postStatus(kLightGreen, u"Loading: song " + number + u".mp3");
            else
                sink.showStatus(u"Copying: song " + number + u".mp3", kLightBlue);
            std::this_thread::sleep_for(std::chrono::microseconds(2500));
        }
        done = true;
    });
    testing::waitFor([&] { return done.load(); }, 10000);
    worker.join();
    testing::waitFor([] { return false; }, 2 * StatusBox::kPassingInterval);
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    EXPECT_GE(shown, 2);
    EXPECT_LE(shown, static_cast<int>(seconds * 1000 / StatusBox::kPassingInterval) + 2) << "over " << seconds << " s";
    // The newest line is the one left on show.
    EXPECT_EQ(dialog->statusBox()->text(), "Copying: song 399.mp3");

    const int before = shown;
    dialog->applyStatus(kLightBlue, "Done: on 400 files, 400 are copied in 9 folders");
    EXPECT_EQ(dialog->statusBox()->text(), "Done: on 400 files, 400 are copied in 9 folders");
    EXPECT_EQ(shown, before + 1);
}

TEST_F(DialogTest, EveryButtonAndOptionHasItsOwnMnemonicAndATooltip)
{
    auto dialog = makeDialog();
    std::map<QChar, QString> taken;
    auto take = [&](const QString &caption) {
        const QChar key = testing::mnemonicOf(caption);
        ASSERT_FALSE(key.isNull()) << caption.toStdString();
        const auto [it, fresh] = taken.emplace(key, caption);
        EXPECT_TRUE(fresh) << caption.toStdString() << " and " << it->second.toStdString();
    };
    for (int id : kAllControls) {
        SCOPED_TRACE(id);
        take(dialog->control(id)->text());
        EXPECT_FALSE(dialog->control(id)->toolTip().isEmpty());
    }
    for (int id : {1100, 1101, 1005})
        EXPECT_FALSE(dialog->control(id)->toolTip().isEmpty()) << id;
    // Each access key opens what it names: Alt+V is Preview's alone.
    EXPECT_EQ(testing::mnemonicOf(dialog->control(control_id::kPreview)->text()), QChar('V'));
    for (QAction *menu : dialog->findChild<QMenuBar *>()->actions())
        take(menu->text());
    EXPECT_EQ(taken.size(), std::size(kAllControls) + 1);
    EXPECT_FALSE(dialog->sourceEdit()->toolTip().isEmpty());
    EXPECT_FALSE(dialog->destinationEdit()->toolTip().isEmpty());
}

TEST_F(DialogTest, ControlsThatDoNotApplyAreDisabled)
{
    auto dialog = makeDialog();
    const int qualities[] = {1023, 1024, 1025};
    // First start: conversion off, renumbering on.
    for (int id : qualities)
        EXPECT_FALSE(dialog->control(id)->isEnabled()) << id;
    EXPECT_TRUE(dialog->control(control_id::kStep)->isEnabled());
    // A disabled radio takes no click.
    clickIndicator(dialog->control(1025));
    EXPECT_EQ(m_store.stored("MP3_QUALITY").toInt(), 1);

    struct Click {
        int id;
        std::vector<int> enabled;
        std::vector<int> disabled;
    };
    const Click clicks[] = {
        {1022, {1023, 1024, 1025}, {}},              // conversion on
        {1029, {1023}, {control_id::kStep}},         // renumbering off
        {1029, {control_id::kStep}, {}},             // renumbering on
        {1022, {control_id::kStep}, {1023, 1024, 1025}},   // conversion off
    };
    for (const Click &c : clicks) {
        SCOPED_TRACE(c.id);
        clickIndicator(dialog->control(c.id));
        for (int id : c.enabled)
            EXPECT_TRUE(dialog->control(id)->isEnabled()) << id;
        for (int id : c.disabled)
            EXPECT_FALSE(dialog->control(id)->isEnabled()) << id;
    }
    // Stored states are shown the same way at the next start.
    m_store.store("MP3_CONVERT", 1);
    m_store.store("ALPHA_TRACK", 0);
    auto again = makeDialog();
    EXPECT_TRUE(again->control(1024)->isEnabled());
    EXPECT_FALSE(again->control(control_id::kStep)->isEnabled());
}

TEST_F(DialogTest, OrganizeIsDisabledDuringARunOnly)
{
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    const tunvale::testing::BlockingPlacement held;
    auto dialog = makeDialog(gatedSetup(held));
    fs::create_directories(m_dir / "out");
    setFolders(*dialog, text(library), text(m_dir / "out"));
    EXPECT_TRUE(dialog->control(control_id::kOrganize)->isEnabled());
    dialog->control(control_id::kOrganize)->click();
    ASSERT_TRUE(testing::waitFor([&] { return held.entered() > 0; }));
    EXPECT_FALSE(dialog->control(control_id::kOrganize)->isEnabled());
    // Everything else stays live.
    for (int id : {1000, 1001, 1016, 1004, 1022, 2, 1})
        EXPECT_TRUE(dialog->control(id)->isEnabled()) << id;
    held.release();
    ASSERT_TRUE(waitForSummary(*dialog));
    EXPECT_TRUE(dialog->control(control_id::kOrganize)->isEnabled());
}

TEST_F(DialogTest, TabReachesARadioGroupThroughItsCheckedRadio)
{
    m_store.store("TAG_ID", 1007);
    m_store.store("MP3_CONVERT", 1);
    m_store.store("MP3_QUALITY", 2);
    auto dialog = makeDialog();
    QApplication::setActiveWindow(dialog.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    struct Step {
        int from;
        Qt::Key key;
        int to;
    };
    const Step steps[] = {
        {1102, Qt::Key_Tab, 1007},       // from the last format into the criteria: Decade
        {1007, Qt::Key_Tab, 1022},       // and out of the group in one step
        {1022, Qt::Key_Backtab, 1007},   // back in: Decade again
        {1022, Qt::Key_Tab, 1025},       // into the qualities: Max
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(std::to_string(s.from) + " -> " + std::to_string(s.to));
        dialog->control(s.from)->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(dialog->control(s.from), s.key);
        EXPECT_EQ(QApplication::focusWidget(), dialog->control(s.to));
    }
    // The arrow keys still move within the group, and Tab then follows the new choice.
    dialog->control(1007)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(dialog->control(1007), Qt::Key_Down);
    EXPECT_TRUE(dialog->control(1008)->isChecked());
    dialog->control(1102)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(dialog->control(1102), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog->control(1008));
}

TEST_F(DialogTest, EnterInAFolderEditTakesTheTextAndKeepsTheWindow)
{
    fs::create_directories(m_dir / "music");
    auto dialog = makeDialog();
    QApplication::setActiveWindow(dialog.get());
    struct Case {
        ColoredEdit *edit;
        QString typed;
        const char *valueName;
        std::uint32_t colour;
    };
    const Case cases[] = {
        {dialog->sourceEdit(), text(m_dir / "music"), "SRC_DIR", kGreen},
        {dialog->sourceEdit(), text(m_dir / "nowhere"), "SRC_DIR", kLightRed},
        {dialog->destinationEdit(), text(m_dir / "new-out"), "DST_DIR", 0xFFFFFF},
        {dialog->destinationEdit(), text(m_dir / "music"), "DST_DIR", kGreen},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        c.edit->setFocus();
        c.edit->clear();
        QTest::keyClicks(c.edit, c.typed);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(c.edit, key);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), 0);
        EXPECT_EQ(c.edit->colour(), c.colour);
        EXPECT_EQ(m_store.stored(c.valueName).toString(), c.typed);
    }
    EXPECT_TRUE(m_prompts.questions.isEmpty());
    EXPECT_FALSE(fs::exists(m_dir / "new-out"));
}

TEST_F(DialogTest, FolderEditsChangeColourWhileTyping)
{
    fs::create_directories(m_dir / "music");
    fs::create_directories(m_dir / "out");
    auto dialog = makeDialog();
    struct Case {
        ColoredEdit *edit;
        QString start;
        QString typed;
        std::uint32_t colour;
    };
    const Case cases[] = {
        {dialog->sourceEdit(), text(m_dir / "music"), "", kGreen},
        {dialog->sourceEdit(), text(m_dir / "music"), "x", kLightRed}, // "musicx" is no folder
        {dialog->sourceEdit(), text(m_dir / "mus"), "ic", kGreen},
        {dialog->destinationEdit(), text(m_dir / "music-out"), "/new", 0xFFFFFF}, // to be created
        {dialog->destinationEdit(), text(m_dir / "ou"), "t", kGreen},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE((c.start + c.typed).toStdString());
        c.edit->setText(c.start);
        c.edit->setFocus();
        c.edit->end(false);
        QTest::keyClicks(c.edit, c.typed);
        if (c.typed.isEmpty()) {
            QTest::keyClick(c.edit, Qt::Key_X);
            QTest::keyClick(c.edit, Qt::Key_Backspace);
        }
        EXPECT_EQ(c.edit->colour(), c.colour);
    }
}

TEST_F(DialogTest, SourcePickerOpensAtTheFolderInTheEdit)
{
    fs::create_directories(m_dir / "stored");
    fs::create_directories(m_dir / "typed");
    m_store.store("SRC_DIR", text(m_dir / "stored"));
    auto dialog = makeDialog();
    struct Case {
        QString inEdit;
        QString start;
    };
    const Case cases[] = {
        {text(m_dir / "typed"), text(m_dir / "typed")},
        {text(m_dir / "missing"), text(m_dir / "stored")},   // not a folder: the stored one
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.inEdit.toStdString());
        m_prompts.pickedFolders = {std::nullopt};
        dialog->sourceEdit()->setText(c.inEdit);
        dialog->control(control_id::kSelectSource)->click();
        EXPECT_EQ(m_prompts.pickers.back().start, c.start);
    }
}

TEST_F(DialogTest, MessagesCarryTheIconOfWhatTheyTell)
{
    fs::create_directories(m_dir / "out");
    fs::create_directories(m_dir / "empty");
    auto dialog = makeDialog();
    struct Case {
        QString source;
        QString destination;
        MessageKind kind;
    };
    const Case cases[] = {
        {"", text(m_dir / "out"), MessageKind::Warning},                    // no source
        {text(m_dir / "out"), "", MessageKind::Error},                      // no destination
        {text(m_dir / "empty"), text(m_dir / "out"), MessageKind::Warning}, // nothing to sort
    };
    for (const Case &c : cases) {
        setFolders(*dialog, c.source, c.destination);
        dialog->control(control_id::kOrganize)->click();
        ASSERT_FALSE(m_prompts.kinds.empty());
        EXPECT_EQ(m_prompts.kinds.back(), c.kind) << m_prompts.messages.last().toStdString();
    }
    dialog->showWorkerMessage("Sorry, could not copy x.mp3");
    EXPECT_EQ(m_prompts.kinds.back(), MessageKind::Error);
    dialog->control(control_id::kCancel)->click();   // "Nothing to cancel!"
    EXPECT_EQ(m_prompts.messages.last(), "Nothing to cancel!");
    EXPECT_EQ(m_prompts.kinds.back(), MessageKind::Information);
}

// One check box per format of the format table, in its order, storing the format's option and
// showing its caption.
TEST_F(DialogTest, FormatCheckBoxesFollowTheFormatTable)
{
    auto dialog = makeDialog();
    const auto boxes = formatBoxes();
    const auto table = formats::formatTable();
    ASSERT_EQ(boxes.size(), table.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        SCOPED_TRACE(std::string(table[i].id));
        EXPECT_EQ(std::string_view(boxes[i].valueName), table[i].optionName);
        EXPECT_EQ(checkBoxIdFor(table[i].optionName), boxes[i].id);
        EXPECT_EQ(dialog->control(boxes[i].id)->text().remove('&').toStdString(), table[i].caption);
        EXPECT_EQ(dialog->control(boxes[i].id)->objectName().toStdString(), table[i].optionName);
    }
}

} // namespace
} // namespace tunvale::ui
