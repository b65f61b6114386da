#include "ui/edit_color.h"

#include <QPainter>

namespace tunvale::ui {

QColor colourFromRef(std::uint32_t colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

CEditColor::CEditColor(QWidget *parent)
    : QLineEdit(parent)
{
    setColour(m_colour);
}

void CEditColor::setColour(std::uint32_t colour)
{
    m_colour = colour;
    // A style sheet is honoured by every widget style, where palette roles are not.
    setStyleSheet(QStringLiteral("QLineEdit { background-color: %1; color: black; }")
                      .arg(colourFromRef(colour).name()));
    if (isVisible())
        repaint();
}

CStatusBox::CStatusBox(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CStatusBox::setColour(std::uint32_t colour)
{
    m_colour = colour;
    if (isVisible())
        repaint();
}

void CStatusBox::setText(const QString &text)
{
    m_text = text;
    if (isVisible())
        repaint();
}

QSize CStatusBox::sizeHint() const
{
    const int height = fontMetrics().height() + 2 * frameWidth() + 8;
    return {200, height};
}

void CStatusBox::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.fillRect(contentsRect(), colourFromRef(m_colour));
        painter.setPen(Qt::black);
        const QRect area = contentsRect().adjusted(4, 0, -4, 0);
        const QString shown = fontMetrics().elidedText(m_text, Qt::ElideRight, area.width());
        painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
    }
    QFrame::paintEvent(event);
}

} // namespace tunvale::ui
