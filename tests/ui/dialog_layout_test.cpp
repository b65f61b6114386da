// The main dialog's window: it fits a laptop screen in the usual styles, grows sensibly and
// keeps its size and place between starts.
#include "dialog_fixture.h"

#include "ui/colored_edit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QProgressBar>
#include <QStyle>
#include <QStyleFactory>

#include <gtest/gtest.h>

namespace tunvale::ui {
namespace {

// Sets the application's style and font for one scope, and puts the old ones back.
class StyleScope {
public:
    StyleScope(const QString &style, const QFont &font)
        : m_style(QApplication::style()->name())
        , m_font(QApplication::font())
    {
        QApplication::setStyle(style);
        QApplication::setFont(font);
    }
    ~StyleScope()
    {
        QApplication::setStyle(m_style);
        QApplication::setFont(m_font);
    }

private:
    QString m_style;
    QFont m_font;
};

// The smallest size the window takes: what it becomes when asked to be tiny.
QSize smallestSize(QWidget &window)
{
    window.resize(10, 10);
    QApplication::processEvents();
    return window.size();
}

TEST_F(DialogTest, FitsALaptopScreenInTheUsualStyles)
{
    // 1366 × 768 and 1920 × 1080 at 150 % (1280 × 720) leave about 700 pixels of height for a
    // window; the fonts are the styles' usual 9 and 11 points (11 being GNOME's).
    QFont small = QApplication::font();
    small.setPointSize(9);
    QFont large = QApplication::font();
    large.setPointSize(11);
    QStringList styles = {QStringLiteral("Fusion")};
    for (const QString &wanted : {QStringLiteral("Adwaita"), QStringLiteral("Windows")}) {
        if (QStyleFactory::keys().contains(wanted, Qt::CaseInsensitive))
            styles << wanted;
    }
    for (const QString &style : styles) {
        for (const QFont &font : {small, large}) {
            SCOPED_TRACE(style.toStdString() + " " + std::to_string(font.pointSize()) + " pt");
            StyleScope scope(style, font);
            auto dialog = makeDialog();
            const QSize smallest = smallestSize(*dialog);
            EXPECT_LE(smallest.height(), 700);
            EXPECT_LE(smallest.width(), 1280);
            // Every command button is inside the window.
            for (int id : {control_id::kOrganize, control_id::kCancel, control_id::kExit}) {
                const QRect button(dialog->control(id)->mapTo(dialog.get(), QPoint(0, 0)),
                                   dialog->control(id)->size());
                EXPECT_TRUE(dialog->rect().contains(button)) << id;
            }
            // Every caption is whole (the conversion box names the LAME version it runs with,
            // which may be longer than the one it was laid out for).
            for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
                if (button->isVisible()) {
                    EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
                }
            }
            // Group titles are whole, also where the style draws them bold.
            for (QGroupBox *group : dialog->findChildren<QGroupBox *>()) {
                QFont bold = group->font();
                bold.setBold(true);
                EXPECT_GE(group->width(), QFontMetrics(bold).horizontalAdvance(group->title()))
                    << group->title().toStdString();
            }
        }
    }
}

TEST_F(DialogTest, GrowsWithTheWindowKeepingTheCommandsAtTheBottom)
{
    auto dialog = makeDialog();
    const QSize smallest = smallestSize(*dialog);
    const int editWidth = dialog->sourceEdit()->width();
    const int statusWidth = dialog->statusBox()->width();
    const int checkBoxHeight = dialog->control(1016)->height();
    dialog->resize(smallest + QSize(300, 150));
    QApplication::processEvents();
    ASSERT_EQ(dialog->size(), smallest + QSize(300, 150));
    // The folder edits and the status line take the width; the controls keep their height and
    // the commands stay at the bottom edge.
    EXPECT_GE(dialog->sourceEdit()->width(), editWidth + 250);
    EXPECT_EQ(dialog->destinationEdit()->width(), dialog->sourceEdit()->width());
    EXPECT_GE(dialog->statusBox()->width(), statusWidth + 250);
    EXPECT_EQ(dialog->control(1016)->height(), checkBoxHeight);
    QWidget *exit = dialog->control(control_id::kExit);
    EXPECT_LE(dialog->height() - exit->mapTo(dialog.get(), QPoint(0, exit->height())).y(), 30);
    const int progressBottom = dialog->progressBar()->mapTo(dialog.get(), QPoint(0, dialog->progressBar()->height())).y();
    EXPECT_LE(exit->mapTo(dialog.get(), QPoint(0, 0)).y() - progressBottom, 30);
}

TEST_F(DialogTest, KeepsItsSizeAndPlaceBesideThePreferences)
{
    QSize chosen;
    QPoint place;
    {
        auto dialog = makeDialog();
        chosen = smallestSize(*dialog) + QSize(57, 23);
        dialog->resize(chosen);
        dialog->move(31, 17);
        QApplication::processEvents();
        place = dialog->pos();
        dialog->control(control_id::kExit)->click();
        ASSERT_FALSE(dialog->isVisible());
    }
    // Beside the options, under a name of its own; the options keep theirs.
    EXPECT_TRUE(m_store.storedIn("Window", "GEOMETRY").isValid());
    EXPECT_FALSE(m_store.stored("GEOMETRY").isValid());
    EXPECT_EQ(m_store.stored("TAG_ID").toInt(), 1004);

    auto again = makeDialog();
    QApplication::processEvents();
    EXPECT_EQ(again->size(), chosen);
    // The place within a pixel: the offscreen platform's frame rounding moves it by one.
    EXPECT_LE((again->pos() - place).manhattanLength(), 1);

    // Closing the window keeps it too.
    again->resize(chosen + QSize(40, 0));
    QApplication::processEvents();
    again->close();
    auto third = makeDialog();
    EXPECT_EQ(third->size(), chosen + QSize(40, 0));
}

} // namespace
} // namespace tunvale::ui
