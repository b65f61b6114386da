#pragma once

#include <QPushButton>

namespace tunvale::ui {

// A push button drawn as a link ("Details..."): no frame, the palette's link colour,
// underlined, a pointing hand over it. Unlike a link in a label it is a button to the keyboard
// and to assistive technology: Tab reaches it, a focus ring shows it has the focus, Space (and
// Return, in the main dialog) presses it.
class LinkButton : public QPushButton {
    Q_OBJECT
public:
    explicit LinkButton(const QString &text, QWidget *parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static constexpr int kMargin = 4; // room for the focus ring around the text
};

} // namespace tunvale::ui
