#pragma once

#include <QColor>
#include <QObject>

// A straight line drawn by the widget that owns it. The end points are in
// twips of the owner's inner area; every change of a value is announced by
// changed(), so the owner can repaint.
class LineShape : public QObject
{
    Q_OBJECT
    Q_PROPERTY(float X1 READ X1 WRITE setX1 NOTIFY changed)
    Q_PROPERTY(float Y1 READ Y1 WRITE setY1 NOTIFY changed)
    Q_PROPERTY(float X2 READ X2 WRITE setX2 NOTIFY changed)
    Q_PROPERTY(float Y2 READ Y2 WRITE setY2 NOTIFY changed)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE setBorderColor NOTIFY changed)

public:
    explicit LineShape(QObject *parent = nullptr);

    float X1() const { return m_x1; }
    float Y1() const { return m_y1; }
    float X2() const { return m_x2; }
    float Y2() const { return m_y2; }
    QColor BorderColor() const { return m_borderColor; }

    void setX1(float twips);
    void setY1(float twips);
    void setX2(float twips);
    void setY2(float twips);
    void setBorderColor(const QColor &color);

signals:
    void changed();

private:
    void assign(float &field, float twips);

    float m_x1 = 0.0f;
    float m_y1 = 0.0f;
    float m_x2 = 0.0f;
    float m_y2 = 0.0f;
    QColor m_borderColor = Qt::black;
};
