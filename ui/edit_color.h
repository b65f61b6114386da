#pragma once

#include <QFrame>
#include <QLineEdit>
#include <QColor>
#include <QString>

#include <cstdint>

namespace tunvale::ui {

// A 0x00BBGGRR colour value (the form the engine's colours take) as a QColor.
QColor colourFromRef(std::uint32_t colour);

// A line edit with a solid, changeable background colour and black text: the two folder
// edits. Every change repaints at once, so a colour shown before a long wait is on screen.
class CEditColor : public QLineEdit {
    Q_OBJECT
public:
    explicit CEditColor(QWidget *parent = nullptr);
    void setColour(std::uint32_t colour);
    std::uint32_t colour() const { return m_colour; }

private:
    std::uint32_t m_colour = 0xFFFFFF;
};

// The status box: a sunken static text with the same changeable background, eliding a line
// too long for it at the end.
class CStatusBox : public QFrame {
    Q_OBJECT
public:
    explicit CStatusBox(QWidget *parent = nullptr);
    void setColour(std::uint32_t colour);
    std::uint32_t colour() const { return m_colour; }
    void setText(const QString &text);
    QString text() const { return m_text; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::uint32_t m_colour = 0xFFFFFF;
    QString m_text;
};

} // namespace tunvale::ui
