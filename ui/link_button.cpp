#include "ui/link_button.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace tunvale::ui {

LinkButton::LinkButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setFlat(true);
    setAutoDefault(false);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QSize LinkButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kMargin, metrics.height() + 2 * kMargin};
}

void LinkButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QFont underlined = font();
    underlined.setUnderline(true);
    painter.setFont(underlined);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Link));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        QStyleOptionFocusRect ring;
        ring.initFrom(this);
        // Shown whenever it has the focus, not only after Tab: the link has no other mark of it.
        ring.state |= QStyle::State_KeyboardFocusChange;
        ring.rect = rect().adjusted(1, 1, -1, -1);
        ring.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &ring, &painter, this);
    }
}

} // namespace tunvale::ui
