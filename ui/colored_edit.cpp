#include "ui/colored_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include <cmath>

namespace tunvale::ui {

namespace {

double relativeLuminance(const QColor &colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) + 0.0722 * channel(colour.blue());
}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor mixed(const QColor &a, const QColor &b, double shareOfA)
{
    const auto mix = [&](int x, int y) { return static_cast<int>(std::lround(x * shareOfA + y * (1.0 - shareOfA))); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

// The share of the state colour in a dark palette's field: enough to keep its hue plain.
constexpr double kDarkShare = 0.4;

} // namespace

QColor colourFromRef(std::uint32_t colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

ShownColours shownColours(std::uint32_t colour, const QPalette &palette)
{
    ShownColours shown;
    shown.background = colourFromRef(colour);
    if (isDark(palette))
        shown.background = mixed(shown.background, palette.color(QPalette::Base), kDarkShare);
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    shown.text = contrastRatio(shown.background, black) >= contrastRatio(shown.background, white) ? black : white;
    return shown;
}

ColoredEdit::ColoredEdit(QWidget *parent)
    : QLineEdit(parent)
{
    applyColour();
}

void ColoredEdit::setColour(std::uint32_t colour)
{
    m_colour = colour;
    applyColour();
    if (isVisible())
        repaint();
}

void ColoredEdit::applyColour()
{
    // The application's palette decides light or dark; this edit's own palette is the style
    // sheet's result.
    const ShownColours shown = shownColours(m_colour, QApplication::palette());
    // A style sheet is honoured by every widget style, where palette roles are not.
    const QString sheet = QStringLiteral("QLineEdit { background-color: %1; color: %2; }")
                              .arg(shown.background.name(), shown.text.name());
    if (sheet == m_styleSheet)
        return;
    m_styleSheet = sheet;
    setStyleSheet(sheet);
}

void ColoredEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The edit is taken as it is; the key must not press the window's default button.
        QLineEdit::keyPressEvent(event);
        emit accepted();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool ColoredEdit::event(QEvent *event)
{
    // A new application palette (light to dark) changes how the state colour is shown.
    const bool result = QLineEdit::event(event);
    if (event->type() == QEvent::ApplicationPaletteChange)
        applyColour();
    return result;
}

StatusBox::StatusBox(QWidget *parent)
    : QLabel(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setTextFormat(Qt::PlainText);
    m_passing.setSingleShot(true);
    connect(&m_passing, &QTimer::timeout, this, [this] { applyText(m_waiting); });
}

void StatusBox::setColour(std::uint32_t colour)
{
    m_colour = colour;
    if (isVisible())
        repaint();
}

void StatusBox::setText(const QString &text)
{
    m_passing.stop();
    applyText(text);
}

void StatusBox::setPassingText(const QString &text)
{
    if (!m_lastText.isValid() || m_lastText.elapsed() >= kPassingInterval) {
        setText(text);
        return;
    }
    m_waiting = text;
    if (!m_passing.isActive())
        m_passing.start(static_cast<int>(kPassingInterval - m_lastText.elapsed()));
}

void StatusBox::applyText(const QString &text)
{
    m_lastText.start();
    // The label keeps the whole text (what assistive technology reads); only the drawing is
    // shortened.
    if (text == QLabel::text())
        return;
    QLabel::setText(text);
    if (isVisible())
        repaint();
    emit textShown(text);
}

QString StatusBox::shownText() const
{
    const QRect area = contentsRect().adjusted(4, 0, -4, 0);
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
}

bool StatusBox::event(QEvent *event)
{
    const bool result = QLabel::event(event);
    if (event->type() == QEvent::ApplicationPaletteChange)
        update();
    return result;
}

QSize StatusBox::sizeHint() const
{
    const int height = fontMetrics().height() + 2 * frameWidth() + 8;
    return {200, height};
}

QSize StatusBox::minimumSizeHint() const
{
    return {60, sizeHint().height()};
}

void StatusBox::paintEvent(QPaintEvent *event)
{
    {
        const ShownColours shown = shownColours(m_colour, QApplication::palette());
        QPainter painter(this);
        painter.fillRect(contentsRect(), shown.background);
        painter.setPen(shown.text);
        const QRect area = contentsRect().adjusted(4, 0, -4, 0);
        painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shownText());
    }
    // The sunken frame; the label's own text drawing is replaced by the one above.
    QFrame::paintEvent(event);
}

} // namespace tunvale::ui
