#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QString>
#include <QTimer>

#include <cstdint>

namespace tunvale::ui {

// A 0x00BBGGRR colour value (the form the engine's colours take) as a QColor.
QColor colourFromRef(std::uint32_t colour);

// How a state colour is shown under a palette: the colour itself on a light palette; on a dark
// palette the same hue darkened towards the palette's base, so a light-green field still reads
// as green without glaring. The text is black or white, whichever stands out more.
struct ShownColours {
    QColor background;
    QColor text;
};
ShownColours shownColours(std::uint32_t colour, const QPalette &palette);

// The contrast ratio of two colours (1 to 21), as the WCAG measures it.
double contrastRatio(const QColor &a, const QColor &b);

// A line edit with a solid, changeable background colour: the two folder edits. Every change
// repaints at once, so a colour shown before a long wait is on screen. Enter accepts the text
// (accepted() is emitted) and goes no further: it never reaches the dialog's default button.
class ColoredEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ColoredEdit(QWidget *parent = nullptr);
    void setColour(std::uint32_t colour);
    std::uint32_t colour() const { return m_colour; }

signals:
    void accepted();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    void applyColour();

    std::uint32_t m_colour = 0xFFFFFF;
    QString m_styleSheet;
};

// The status box: a sunken line of text with the same changeable background. It is a label, so
// assistive technology reads its whole text; a line too long for it is shown shortened in the
// middle, keeping the start (the word) and the end (the file name). Each new text is announced
// to assistive technology, so passing texts (the file being loaded or copied, hundreds a
// second) are shown a few times a second at most: the newest one, the others dropped.
class StatusBox : public QLabel {
    Q_OBJECT
public:
    explicit StatusBox(QWidget *parent = nullptr);
    void setColour(std::uint32_t colour);
    std::uint32_t colour() const { return m_colour; }
    // Shows text at once; a passing text still waiting is dropped.
    void setText(const QString &text);
    // Shows text at once when the last text is at least kPassingInterval old; otherwise keeps
    // it and shows it (unless a newer one replaced it) when that time is up.
    void setPassingText(const QString &text);
    static constexpr int kPassingInterval = 250; // milliseconds

    // The text as drawn in the current width.
    QString shownText() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The text shown changed (and was announced to assistive technology).
    void textShown(const QString &text);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void applyText(const QString &text);

    std::uint32_t m_colour = 0xFFFFFF;
    QElapsedTimer m_lastText; // since the text last changed
    QString m_waiting;        // the passing text to show when the timer fires
    QTimer m_passing;
};

} // namespace tunvale::ui
