#pragma once

#include <QIcon>
#include <QPixmap>
#include <QWidget>

class QPainter;

namespace tunvale::ui {

// Paints the program's picture (a white quaver on a blue rounded square) into rect, as vector
// shapes, so it is sharp at every scale.
void paintQuaver(QPainter &painter, const QRectF &rect);

// The picture as a pixmap of size × size logical pixels at the given device pixel ratio.
QPixmap programPixmap(int size, qreal devicePixelRatio = 1.0);

// The desktop id: the installed menu entry is <id>.desktop (data/ installs it under this name),
// so the desktop ties the window to that entry and its icon.
QString desktopId();
// The theme name of the installed icon (the menu entry's Icon key; an SVG and PNG sizes in
// the hicolor theme).
QString programIconName();

// The program icon. The installed icon is used when the desktop's icon theme has it;
// otherwise the quaver is drawn at the usual icon sizes.
QIcon programIcon();

// The quaver picture of the MP3 group and the About box: drawn on every paint, at the
// widget's own scale, never a scaled bitmap.
class QuaverPicture : public QWidget {
    Q_OBJECT
public:
    explicit QuaverPicture(int size, QWidget *parent = nullptr);
    QSize sizeHint() const override { return {m_size, m_size}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_size;
};

} // namespace tunvale::ui
