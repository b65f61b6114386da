// The dialog is ready for translation: every text it shows comes through tr(), and the
// translation source ui/translations/tunvale.ts that lupdate makes from those calls is current.
#include "dialog_fixture.h"

#include "ui/about_dialog.h"
#include "ui/colored_edit.h"

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <set>

namespace tunvale::ui {
namespace {

const QString kTsFile = QStringLiteral(TUNVALE_SOURCE_DIR "/ui/translations/tunvale.ts");

std::set<QString> sourceTexts(const QString &tsFile)
{
    std::set<QString> texts;
    QFile file(tsFile);
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    // lupdate writes control characters as <byte value="xd"/> inside the text.
    QXmlStreamReader xml(&file);
    QString text;
    bool inSource = false;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == QLatin1String("source")) {
                inSource = true;
                text.clear();
            } else if (inSource && xml.name() == QLatin1String("byte")) {
                text += QChar(xml.attributes().value(QLatin1String("value")).mid(1).toUShort(nullptr, 16));
            }
            break;
        case QXmlStreamReader::Characters:
            if (inSource)
                text += xml.text();
            break;
        case QXmlStreamReader::EndElement:
            if (xml.name() == QLatin1String("source")) {
                inSource = false;
                texts.insert(text);
            }
            break;
        default:
            break;
        }
    }
    return texts;
}

// Every fixed text a window shows or gives to assistive technology; the folder edits and the
// status box hold data, not texts of the program.
QStringList shownTexts(QWidget &window)
{
    QStringList texts = {window.windowTitle()};
    QList<QWidget *> widgets = window.findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (qobject_cast<ColoredEdit *>(widget) || qobject_cast<StatusBox *>(widget))
            continue;
        texts << widget->toolTip() << widget->accessibleName() << widget->accessibleDescription();
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts << button->text();
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts << label->text();
        if (auto *group = qobject_cast<QGroupBox *>(widget))
            texts << group->title();
        if (auto *bar = qobject_cast<QMenuBar *>(widget)) {
            for (QAction *menu : bar->actions()) {
                texts << menu->text();
                if (menu->menu()) {
                    for (QAction *action : menu->menu()->actions())
                        texts << action->text();
                }
            }
        }
    }
    texts.removeAll(QString());
    return texts;
}

TEST_F(DialogTest, EveryTextOfTheDialogIsInTheTranslationSource)
{
    const std::set<QString> sources = sourceTexts(kTsFile);
    ASSERT_FALSE(sources.empty()) << kTsFile.toStdString();
    auto dialog = makeDialog();
    QStringList texts = shownTexts(*dialog);
    // The conversion box shows its caption filled with the LAME version (checked below).
    EXPECT_EQ(texts.removeAll(dialog->control(1022)->text()), 1);
    EXPECT_GT(texts.size(), 60);
    for (const QString &text : texts)
        EXPECT_TRUE(sources.count(text)) << text.toStdString();

    AboutDialog about(dialog.get());
    for (const QString &text : {about.windowTitle()})
        EXPECT_TRUE(sources.count(text)) << text.toStdString();
    // The texts the dialog builds around data.
    for (const char *pattern : {"%1 Version %2",
                                "E.mail: %1",
                                "Copyright (C) %1",
                                "%1 - Stopping...",
                                "REGISTER ERROR",
                                "Could not Write to Windows Register Data Base",
                                "CONFIGURATION ERROR",
                                "Could not write the configuration file \"%1\".",
                                "%1 in %2 created by this session will be deleted.",
                                "%1 created by this session will be deleted.",
                                "%n file(s)",
                                "%n folder(s)",
                                "%n file(s) would be copied",
                                "Will be created",
                                "Not a folder",
                                "Create files in 'mp3' format (using LAME %1)",
                                "Nothing was deleted: what this session made is kept.",
                                "Folder where the Audio Files are located",
                                "Main Folder where the Sub-folders will be created",
                                "This destination Folder doesn't exist.\r\nDo you want to create it ?"})
        EXPECT_TRUE(sources.count(QString::fromUtf8(pattern))) << pattern;
}

TEST(Translations, SourceFileIsCurrent)
{
    QString lupdate = QStandardPaths::findExecutable(QStringLiteral("lupdate"),
                                                     {QLibraryInfo::path(QLibraryInfo::BinariesPath)});
    if (lupdate.isEmpty())
        lupdate = QStandardPaths::findExecutable(QStringLiteral("lupdate"));
    if (lupdate.isEmpty())
        GTEST_SKIP() << "lupdate (qt6-l10n-tools) is not installed";
    tunvale::testing::TempDir dir;
    const QString fresh = QString::fromStdString((dir / "tunvale.ts").string());
    QProcess run;
    run.setWorkingDirectory(QStringLiteral(TUNVALE_SOURCE_DIR));
    run.start(lupdate, {"-I", ".", "-locations", "none", "-no-obsolete", "-source-language", "en", "-silent", "ui",
                        "-ts", fresh});
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    // The same texts (the file's layout may differ between lupdate versions).
    const std::set<QString> made = sourceTexts(fresh);
    const std::set<QString> kept = sourceTexts(kTsFile);
    EXPECT_GT(made.size(), 80u);
    for (const QString &text : made)
        EXPECT_TRUE(kept.count(text)) << "missing: " << text.toStdString();
    for (const QString &text : kept)
        EXPECT_TRUE(made.count(text)) << "no longer used: " << text.toStdString();
    if (made != kept)
        ADD_FAILURE() << "ui/translations/tunvale.ts is out of date: build the target update_translations";
}

} // namespace
} // namespace tunvale::ui
