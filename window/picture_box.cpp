#include "window/picture_box.h"

#include <QPainter>

namespace {

constexpr qreal kDoubleDensity = 2.0;

// ":/assets/dial.bmp" -> ":/assets/dial@2x.bmp"
QString doubleDensityPath(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype insertAt = dot > slash ? dot : path.size();
    return QString(path).insert(insertAt, QLatin1String("@2x"));
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::setImageSource(const QString &path)
{
    m_source = path;
    m_image = QPixmap(path);
    // Loading by path does not look for the "@2x" file by itself.
    m_imageDoubleDensity = QPixmap(doubleDensityPath(path));
    m_imageDoubleDensity.setDevicePixelRatio(kDoubleDensity);
    update();
}

QPixmap PictureBox::pixmap() const
{
    if (devicePixelRatioF() > 1.0 && !m_imageDoubleDensity.isNull())
        return m_imageDoubleDensity;
    return m_image;
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    drawImage(painter);
}

void PictureBox::drawImage(QPainter &painter) const
{
    painter.drawPixmap(contentsRect().topLeft(), pixmap());
}
