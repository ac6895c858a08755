#include "window/picture_box.h"

#include <QAccessibleWidget>
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

// Assistive technology presents a picture box as an image, under the name
// and description that the form gives it, instead of as a bare frame. The
// key is matched against each class of the widget, so this also serves the
// classes derived from PictureBox.
QAccessibleInterface *pictureBoxAccessible(const QString &key, QObject *object)
{
    if (key == QLatin1String("PictureBox") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
{
    static const bool accessibleAsImage = (QAccessible::installFactory(pictureBoxAccessible), true);
    Q_UNUSED(accessibleAsImage);
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::setImageSource(const QString &path)
{
    m_source = path;
    m_image = QPixmap();
    update();
}

QPixmap PictureBox::pixmap() const
{
    const bool doubleDensity = devicePixelRatioF() > 1.0;
    if (!m_image.isNull() && m_imageForDoubleDensity == doubleDensity)
        return m_image;

    m_imageForDoubleDensity = doubleDensity;
    m_image = QPixmap();
    // Loading by path does not look for the "@2x" file by itself.
    if (doubleDensity) {
        m_image = QPixmap(doubleDensityPath(m_source));
        m_image.setDevicePixelRatio(kDoubleDensity);
    }
    if (m_image.isNull())
        m_image = QPixmap(m_source);
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
