#include "ui_test_support.h"

#include "ui/about_dialog.h"
#include "ui/colored_edit.h"
#include "ui/dialog_controls.h"
#include "ui/folder_picker.h"
#include "ui/manual_window.h"
#include "ui/program_icon.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tunvale::ui {
namespace {

QColor centrePixel(QWidget &widget)
{
    const QImage image = widget.grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

TEST(ColourControls, ColoursAre0x00BBGGRRAndPaintedAtOnce)
{
    struct Case {
        std::uint32_t colour;
        QColor painted;
    };
    const Case cases[] = {
        {0x1414FF, QColor(255, 20, 20)},    // red
        {0xFFC8C8, QColor(200, 200, 255)},  // light blue
        {0x14FFFF, QColor(255, 255, 20)},   // yellow
        {0xA0FFA0, QColor(160, 255, 160)},  // green
    };
    ColoredEdit edit;
    edit.resize(200, 30);
    edit.show();
    StatusBox status;
    status.resize(200, 30);
    status.show();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.colour);
        EXPECT_EQ(colourFromRef(c.colour), c.painted);
        edit.setColour(c.colour);
        EXPECT_EQ(edit.colour(), c.colour);
        EXPECT_EQ(centrePixel(edit), c.painted);
        status.setColour(c.colour);
        EXPECT_EQ(centrePixel(status), c.painted);
    }
    // The same colour twice keeps it painted.
    edit.setColour(0x1414FF);
    edit.setColour(0x1414FF);
    EXPECT_EQ(centrePixel(edit), QColor(255, 20, 20));
}

TEST(ColourControls, StatusBoxElidesALongLine)
{
    StatusBox status;
    status.resize(120, 30);
    status.setText(QString(300, QLatin1Char('x')));
    status.show();
    EXPECT_EQ(status.text().size(), 300);
    // The line is drawn shortened inside the box rather than clipped; the box keeps its text.
    const QImage image = status.grab().toImage();
    EXPECT_EQ(image.width(), 120);
}

TEST(FolderPicker, SourcePathIsReadOnlyAndStartsAtTheGivenFolder)
{
    tunvale::testing::TempDir dir;
    std::filesystem::create_directories(dir / "music" / "inner");
    const QString start = QString::fromStdString((dir / "music").string());
    FolderPicker picker(nullptr, "Folder where the Audio Files are located", start, true);
    EXPECT_EQ(picker.windowTitle(), "Folder where the Audio Files are located");
    // The desktop's chooser is taken where the platform offers one (not here: no portal, no
    // platform theme); Qt's own is not forced.
    EXPECT_FALSE(picker.testOption(QFileDialog::DontUseNativeDialog));
    ASSERT_NE(picker.pathField(), nullptr);
    EXPECT_TRUE(picker.pathField()->isReadOnly());
    picker.open();
    QTest::qWait(50);
    picker.accept();
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(QDir(picker.chosenPath()), QDir(start));
}

TEST(FolderPicker, DestinationTakesATypedFolderThatDoesNotExist)
{
    tunvale::testing::TempDir dir;
    std::filesystem::create_directories(dir / "out");
    const QString start = QString::fromStdString((dir / "out").string());
    FolderPicker picker(nullptr, "Main Folder where the Sub-folders will be created", start, false);
    ASSERT_NE(picker.pathField(), nullptr);
    EXPECT_FALSE(picker.pathField()->isReadOnly());
    picker.open();
    QTest::qWait(50);
    picker.pathField()->setText(QString::fromStdString((dir / "brand new").string()));
    picker.accept();
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(picker.chosenPath(), QString::fromStdString((dir / "brand new").string()));
    EXPECT_FALSE(std::filesystem::exists(dir / "brand new"));   // the picker creates nothing

    // A name relative to the folder shown is taken inside it.
    FolderPicker relative(nullptr, "t", start, false);
    relative.open();
    QTest::qWait(50);
    relative.setDirectory(start);
    relative.pathField()->setText("sub");
    relative.accept();
    EXPECT_EQ(relative.chosenPath(), QDir::cleanPath(start + "/sub"));
}

TEST(FolderPicker, SourceRefusesAFolderThatDoesNotExist)
{
    tunvale::testing::TempDir dir;
    const QString start = QString::fromStdString((dir / "missing").string());
    FolderPicker picker(nullptr, "t", start, true);
    picker.open();
    QTest::qWait(50);
    picker.selectFile(start);
    // Qt's own check answers with a warning box of its own; close it as the user would.
    QTimer::singleShot(200, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                box->accept();
    });
    picker.accept();
    // Whatever the picker settles on, the missing folder itself is never the answer: only an
    // existing folder can be the source.
    EXPECT_NE(QDir::cleanPath(picker.chosenPath()), QDir::cleanPath(start));
    if (picker.result() == QDialog::Accepted)
        EXPECT_TRUE(QFileInfo(picker.chosenPath()).isDir()) << picker.chosenPath().toStdString();
    else
        EXPECT_TRUE(picker.chosenPath().isEmpty());
}

TEST(ColourControls, StateColoursStayReadableUnderLightAndDarkPalettes)
{
    QPalette light;
    light.setColor(QPalette::Window, QColor(239, 239, 239));
    light.setColor(QPalette::Base, Qt::white);
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    // The state colours of the folder edits and the status box, with the channel that carries
    // their meaning (the strongest one, or two for yellow and the light colours).
    struct Case {
        std::uint32_t colour;
        const char *meaning;
    };
    const Case cases[] = {
        {0xA0FFA0, "green"}, {0xC8FFC8, "green"}, {0xFFC8C8, "blue"}, {0xA0A0FF, "red"}, {0x1414FF, "red"},
        {0x3C3CFF, "red"},   {0x14FFFF, "yellow"}, {0xFFFFFF, "white"},
    };
    const auto meaningOf = [](const QColor &c) -> std::string {
        const int r = c.red(), g = c.green(), b = c.blue();
        if (r == g && g == b)
            return "white";
        if (r > b + 20 && g > b + 20 && std::abs(r - g) < 20)
            return "yellow";
        if (g > r && g > b)
            return "green";
        if (b > r && b > g)
            return "blue";
        return r > g && r > b ? "red" : "?";
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.meaning + std::string(" ") + std::to_string(c.colour));
        const ShownColours onLight = shownColours(c.colour, light);
        EXPECT_EQ(onLight.background, colourFromRef(c.colour));   // the colour itself
        const ShownColours onDark = shownColours(c.colour, dark);
        EXPECT_LT(onDark.background.lightness(), 128);            // no glare on a dark window
        for (const ShownColours &shown : {onLight, onDark}) {
            EXPECT_EQ(meaningOf(shown.background), c.meaning) << shown.background.name().toStdString();
            EXPECT_GE(contrastRatio(shown.background, shown.text), 4.5) << shown.background.name().toStdString();
        }
    }
}

TEST(ColourControls, EditFollowsADarkApplicationPalette)
{
    const QPalette before = QApplication::palette();
    QPalette dark = before;
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    ColoredEdit edit;
    edit.resize(200, 30);
    edit.setColour(0xA0FFA0);
    edit.show();
    EXPECT_EQ(centrePixel(edit), QColor(160, 255, 160));
    QApplication::setPalette(dark);
    QApplication::processEvents();
    const QColor painted = centrePixel(edit);
    QApplication::setPalette(before);
    EXPECT_EQ(painted, shownColours(0xA0FFA0, dark).background);
}

TEST(ProgramPicture, IsDrawnAtTheScreensScale)
{
    // At 2x the picture is painted with twice the pixels, not a 1x bitmap blown up.
    const QImage sharp = programPixmap(40, 2.0).toImage();
    EXPECT_EQ(sharp.size(), QSize(80, 80));
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    const QImage blown = programPixmap(40, 1.0).toImage().scaled(80, 80, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_NE(sharp.convertToFormat(QImage::Format_ARGB32), blown.convertToFormat(QImage::Format_ARGB32));
    // The widget paints the same vector picture at whatever scale it is drawn.
    QuaverPicture picture(40);
    QImage rendered(80, 80, QImage::Format_ARGB32_Premultiplied);
    rendered.setDevicePixelRatio(2.0);
    rendered.fill(Qt::transparent);
    picture.render(&rendered, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(rendered.convertToFormat(QImage::Format_ARGB32), sharp.convertToFormat(QImage::Format_ARGB32));
}

TEST(FolderPicker, ChooseStaysUsableForATypedNewDestination)
{
    tunvale::testing::TempDir dir;
    std::filesystem::create_directories(dir / "out");
    const QString start = QString::fromStdString((dir / "out").string());
    FolderPicker picker(nullptr, "Main Folder where the Sub-folders will be created", start, false);
    picker.open();
    QTest::qWait(50);
    ASSERT_NE(picker.acceptButton(), nullptr);
    const QString typed = QString::fromStdString((dir / "out" / "new one").string());
    picker.pathField()->clear();
    QTest::keyClicks(picker.pathField(), typed);
    QTest::qWait(50);
    EXPECT_TRUE(picker.acceptButton()->isEnabled());
    picker.acceptButton()->click();
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(picker.chosenPath(), typed);

    // The source picker's path field is plainly not for typing.
    FolderPicker source(nullptr, "Folder where the Audio Files are located", start, true);
    EXPECT_TRUE(source.pathField()->isReadOnly());
    EXPECT_FALSE(source.pathField()->isEnabled());
}

TEST(AboutBox, ShowsTheBuildVersionRecord)
{
    VersionRecord record;
    record.productName = "Tunvale";
    record.productVersion = "9.8.7";
    record.legalCopyright = "Copyright (C) QX";
    record.contact = "someone@example.org";
    AboutDialog about(nullptr, record);
    EXPECT_EQ(about.windowTitle(), "About Tunvale");
    EXPECT_EQ(about.productLine(), "Tunvale Version 9.8.7");
    EXPECT_EQ(about.companyLine(), "Copyright (C) QX");
    EXPECT_EQ(about.contactLine(), "E.mail: someone@example.org");

    const VersionRecord build = buildVersionRecord();
    EXPECT_EQ(build.productName, "Tunvale");
    EXPECT_FALSE(build.productVersion.isEmpty());
    EXPECT_TRUE(build.contact.contains('@'));
    AboutDialog buildAbout;
    EXPECT_EQ(buildAbout.productLine(), "Tunvale Version " + build.productVersion);
}

// A standard About box: the version, the licence, the web page as a link the keyboard can
// follow, and room for its lines.
TEST(AboutBox, NamesTheLicenceAndLinksTheWebPage)
{
    VersionRecord record = buildVersionRecord();
    record.licence = "GPL-3.0-or-later";
    record.website = "https://example.org/tunvale";
    AboutDialog about(nullptr, record);
    about.show();
    EXPECT_EQ(about.licenceLine(), "Licence: GPL-3.0-or-later");
    EXPECT_EQ(about.websiteLine(), "Website: https://example.org/tunvale");
    QLabel *website = about.websiteLabel();
    EXPECT_EQ(website->textFormat(), Qt::RichText);
    EXPECT_TRUE(website->text().contains("<a href=\"https://example.org/tunvale\">"));
    EXPECT_TRUE(website->openExternalLinks());
    EXPECT_TRUE(website->textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
    EXPECT_FALSE(buildVersionRecord().licence.isEmpty());
    EXPECT_TRUE(buildVersionRecord().website.startsWith("https://"));
    // No line is cut: the box is as wide as its longest line needs.
    for (QLabel *line : about.findChildren<QLabel *>()) {
        if (!line->text().isEmpty() && line->pixmap().isNull()) {
            EXPECT_LE(line->heightForWidth(line->width()), line->height()) << line->text().toStdString();
        }
    }
}

// The manual of the dialog is built into the program and opened from Help.
TEST(Manual, HelpOpensTheManualPage)
{
    const QString text = manualText();
    ASSERT_FALSE(text.isEmpty());
    EXPECT_TRUE(text.contains("tunvale - sort audio files into folders by their tags")) << text.left(400).toStdString();
    EXPECT_TRUE(text.contains("DESCRIPTION"));
    ManualWindow window;
    EXPECT_EQ(window.view()->toPlainText(), text);
    EXPECT_TRUE(window.view()->isReadOnly());
}

// The conversion box names the LAME version it runs with, its mnemonic on the first character
// of the version no other control takes.
TEST(ConvertCaption, MnemonicOnAFreeCharacterOfTheVersion)
{
    const QString caption = "Create files in 'mp3' format (using LAME %1)";
    struct Case {
        const char *version;
        QSet<QChar> taken;
        const char *expected;
    };
    const Case cases[] = {
        {"3.100", {'3', '0'}, "Create files in 'mp3' format (using LAME 3.&100)"},
        {"3.99.5", {'3'}, "Create files in 'mp3' format (using LAME 3.&99.5)"},
        {"3.100", {'3', '1', '0'}, "Create files in 'mp3' format (using LAME 3.100)"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(convertCaption(caption, c.version, c.taken), c.expected);
}

} // namespace
} // namespace tunvale::ui
