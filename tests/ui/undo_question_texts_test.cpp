// Cancel's questions: the question on the first line, then what a Yes would take back.
#include "ui/undo_question_texts.h"

#include "ui_test_support.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tunvale::ui {
namespace {

using engine::UndoTake;

UndoTake take(std::int32_t files, std::int32_t folders, std::int32_t notCreated = 0, std::int32_t restored = 0,
              std::int32_t kept = 0)
{
    UndoTake t;
    t.files = files;
    t.folders = folders;
    t.notCreated = notCreated;
    t.originalsRestored = restored;
    t.originalsKept = kept;
    return t;
}

TEST(UndoQuestionTexts, EverythingSaysHowManyFilesInHowManyFolders)
{
    const QString first = "Do you want to delete everything?\n\n";
    struct Case {
        UndoTake take;
        QString details;
    };
    const Case cases[] = {
        {take(12, 3), "12 files in 3 folders created by this session will be deleted."},
        {take(1, 1), "1 file in 1 folder created by this session will be deleted."},
        {take(6, 2, 1),
         "6 files in 2 folders created by this session will be deleted.\n"
         "Among them, 1 file that this session did not create."},
        {take(7, 2, 3),
         "7 files in 2 folders created by this session will be deleted.\n"
         "Among them, 3 files that this session did not create."},
        {take(5, 0), "5 files in the folders created by this session will be deleted."},
        {take(0, 2), "2 folders created by this session will be removed."},
        {take(0, 0, 0, 0, 1), "Nothing will be deleted."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.details.toStdString());
        EXPECT_EQ(deleteEverythingQuestion(c.take), first + c.details);
    }
}

TEST(UndoQuestionTexts, SessionFilesSaysWhatGoesAndWhatComesBack)
{
    const QString first = "Do you want to delete the files created during this session?\n\n";
    struct Case {
        UndoTake take;
        QString details;
    };
    const Case cases[] = {
        {take(5, 2), "5 files created by this session will be deleted.\n"
                     "2 folders created by this session will then be empty and removed."},
        {take(1, 0), "1 file created by this session will be deleted."},
        {take(0, 1), "1 folder created by this session will be removed."},
        {take(2, 0, 0, 1, 2), "2 files created by this session will be deleted.\n"
                              "1 file replaced by this session will be put back.\n"
                              "2 files replaced by this session cannot be put back and will stay in the folder "
                              "of kept files."},
        {take(0, 0), "Nothing will be deleted."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.details.toStdString());
        EXPECT_EQ(deleteSessionFilesQuestion(c.take), first + c.details);
    }
}

// The real question box: Enter answers with the default the question asks for, so Enter never
// deletes everything.
TEST(UndoQuestionTexts, EnterAnswersTheDefaultOfTheQuestion)
{
    struct Case {
        DefaultAnswer defaultAnswer;
        bool answer;
    };
    const Case cases[] = {{DefaultAnswer::No, false}, {DefaultAnswer::Yes, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer);
        bool seen = false;
        QTimer::singleShot(100, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->defaultButton(),
                      box->button(c.defaultAnswer == DefaultAnswer::No ? QMessageBox::No : QMessageBox::Yes));
            QTest::keyClick(box, Qt::Key_Return);
        });
        MessageBoxPrompts prompts;
        EXPECT_EQ(prompts.askYesNo(nullptr, deleteEverythingQuestion(take(3, 2)), c.defaultAnswer), c.answer);
        EXPECT_TRUE(seen);
    }
}

} // namespace
} // namespace tunvale::ui
