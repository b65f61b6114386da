// The dialog finds what the packaging installs: its desktop id is the name the menu entry is
// installed under, and its icon is the one that entry names, looked up in the icon theme.
#include "ui/program_icon.h"

#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QRegularExpression>
#include <QTextStream>

#include <gtest/gtest.h>

namespace tunvale::ui {
namespace {

QString fileText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

TEST(ProgramIcon, NamesMatchTheInstalledMenuEntry)
{
    // data/ installs data/tunvale.desktop as <TUNVALE_APP_ID>.desktop.
    const QString cmake = fileText(QStringLiteral(TUNVALE_SOURCE_DIR "/CMakeLists.txt"));
    const QRegularExpressionMatch id = QRegularExpression(QStringLiteral("set\\(TUNVALE_APP_ID ([^)\\s]+)\\)")).match(cmake);
    ASSERT_TRUE(id.hasMatch());
    EXPECT_EQ(desktopId(), id.captured(1));

    const QString entry = fileText(QStringLiteral(TUNVALE_SOURCE_DIR "/data/tunvale.desktop"));
    const QRegularExpressionMatch icon = QRegularExpression(QStringLiteral("^Icon=(.+)$"),
                                                            QRegularExpression::MultilineOption).match(entry);
    ASSERT_TRUE(icon.hasMatch());
    EXPECT_EQ(programIconName(), icon.captured(1).trimmed());
}

// With the icon installed in a hicolor theme, programIcon is that themed icon; without it, the
// drawn quaver.
TEST(ProgramIcon, TakesTheInstalledIconFromTheTheme)
{
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();

    tunvale::testing::TempDir dir;
    const QString root = QString::fromStdString(dir.path().string());
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("hicolor/48x48/apps")));
    {
        QFile index(root + QStringLiteral("/hicolor/index.theme"));
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        QTextStream(&index) << "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n"
                               "[48x48/apps]\nSize=48\nType=Fixed\n";
    }
    ASSERT_TRUE(programPixmap(48).save(root + QStringLiteral("/hicolor/48x48/apps/") + programIconName()
                                       + QStringLiteral(".png")));

    // A themed icon looks its files up when it is drawn, under the theme of that moment: each
    // one is checked while its theme is current.
    QIcon::setThemeSearchPaths({root});
    QIcon::setThemeName(QStringLiteral("hicolor"));
    const QIcon installed = programIcon();
    EXPECT_EQ(installed.name(), programIconName());
    EXPECT_FALSE(installed.pixmap(48).isNull());

    QIcon::setThemeSearchPaths({root + QStringLiteral("/none")});
    QIcon::setThemeName(QStringLiteral("none"));
    const QIcon drawn = programIcon();
    EXPECT_TRUE(drawn.name().isEmpty());
    EXPECT_FALSE(drawn.pixmap(48).isNull());

    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setThemeName(themeName);
}

} // namespace
} // namespace tunvale::ui
