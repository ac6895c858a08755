#include "window/line_shape.h"

LineShape::LineShape(QObject *parent)
    : QObject(parent)
{ }

void LineShape::setX1(float twips)
{
    assign(m_x1, twips);
}

void LineShape::setY1(float twips)
{
    assign(m_y1, twips);
}

void LineShape::setX2(float twips)
{
    assign(m_x2, twips);
}

void LineShape::setY2(float twips)
{
    assign(m_y2, twips);
}

void LineShape::setBorderColor(const QColor &color)
{
    if (color == m_borderColor)
        return;
    m_borderColor = color;
    emit changed();
}

void LineShape::assign(float &field, float twips)
{
    if (twips == field)
        return;
    field = twips;
    emit changed();
}
