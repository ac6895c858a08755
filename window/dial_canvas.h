#pragma once

#include "window/picture_box.h"

class LineShape;

// The compass dial with the azimuth pointer line over it. The line is the
// child object "linAngleLine"; the canvas repaints whenever the line changes.
class DialCanvas : public PictureBox
{
    Q_OBJECT

public:
    explicit DialCanvas(QWidget *parent = nullptr);

    LineShape *line() const { return m_line; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawLine(QPainter &painter) const;

    LineShape *m_line = nullptr;
};
