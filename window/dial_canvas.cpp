#include "window/dial_canvas.h"

#include <QPainter>
#include <QPen>

#include "window/line_shape.h"
#include "window/twips.h"

namespace {

// At rest the pointer stands straight up from its centre to the inner
// area's top edge.
constexpr float kPointerRestTipYTwips = 0.0f;
constexpr int kPointerWidthPixels = 1;

} // namespace

DialCanvas::DialCanvas(QWidget *parent)
    : PictureBox(parent)
    , m_line(new LineShape(this))
{
    m_line->setObjectName(QStringLiteral("linAngleLine"));
    m_line->setX1(kPointerCentreTwips);
    m_line->setY1(kPointerCentreTwips);
    m_line->setX2(kPointerCentreTwips);
    m_line->setY2(kPointerRestTipYTwips);
    m_line->setBorderColor(QColor(255, 0, 0));
    connect(m_line, &LineShape::changed, this, qOverload<>(&QWidget::update));
}

void DialCanvas::paintEvent(QPaintEvent *event)
{
    PictureBox::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    drawLine(painter);
}

void DialCanvas::drawLine(QPainter &painter) const
{
    // Floating-point logical pixels keep the end points exact on screens
    // with more than one device pixel per logical pixel.
    const QPointF origin = contentsRect().topLeft();
    const QPointF from(m_line->X1() / kTwipsPerPixel, m_line->Y1() / kTwipsPerPixel);
    const QPointF to(m_line->X2() / kTwipsPerPixel, m_line->Y2() / kTwipsPerPixel);

    QPen pen(m_line->BorderColor(), kPointerWidthPixels);
    pen.setCosmetic(true);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(pen);
    painter.drawLine(QLineF(origin + from, origin + to));
}
