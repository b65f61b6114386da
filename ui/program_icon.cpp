#include "ui/program_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace tunvale::ui {

void paintQuaver(QPainter &painter, const QRectF &rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2e, 0x6d, 0xb4));
    const qreal s = std::min(rect.width(), rect.height());
    const QPointF o = rect.topLeft();
    painter.drawRoundedRect(QRectF(o, QSizeF(s, s)), s * 0.2, s * 0.2);
    // Stem, flag and head.
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(o.x() + s * 0.55, o.y() + s * 0.18, s * 0.07, s * 0.5));
    QPainterPath flag;
    flag.moveTo(o.x() + s * 0.62, o.y() + s * 0.18);
    flag.cubicTo(o.x() + s * 0.75, o.y() + s * 0.3, o.x() + s * 0.82, o.y() + s * 0.35, o.x() + s * 0.74,
                 o.y() + s * 0.5);
    flag.cubicTo(o.x() + s * 0.74, o.y() + s * 0.38, o.x() + s * 0.68, o.y() + s * 0.33, o.x() + s * 0.62,
                 o.y() + s * 0.32);
    flag.closeSubpath();
    painter.drawPath(flag);
    painter.drawEllipse(QRectF(o.x() + s * 0.33, o.y() + s * 0.6, s * 0.29, s * 0.2));
    painter.restore();
}

QPixmap programPixmap(int size, qreal devicePixelRatio)
{
    const int device = qRound(size * devicePixelRatio);
    QPixmap pixmap(device, device);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintQuaver(painter, QRectF(0, 0, size, size));
    return pixmap;
}

QString desktopId() { return QStringLiteral(TUNVALE_APP_ID); }

QString programIconName() { return QStringLiteral("tunvale"); }

QIcon programIcon()
{
    // Asked first: a themed icon can be non-null and still have no picture.
    if (QIcon::hasThemeIcon(programIconName()))
        return QIcon::fromTheme(programIconName());
    QIcon drawn;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        drawn.addPixmap(programPixmap(size));
    return drawn;
}

QuaverPicture::QuaverPicture(int size, QWidget *parent)
    : QWidget(parent)
    , m_size(size)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void QuaverPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintQuaver(painter, QRectF(0, 0, m_size, m_size));
}

} // namespace tunvale::ui
