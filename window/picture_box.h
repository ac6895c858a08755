#pragma once

#include <QFrame>
#include <QPixmap>
#include <QString>

// A framed box that shows a fixed image unscaled from the top-left corner of
// its inner area, clipped by it. It takes the keyboard focus like any other
// control of the tab cycle.
//
// The image is named by a resource path; a variant named with "@2x" before
// the suffix, when present, is drawn instead on screens with more than one
// device pixel per logical pixel, at the same logical size. Only the variant
// that the screen needs is read, and only when it is first drawn.
class PictureBox : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString imageSource READ imageSource WRITE setImageSource)

public:
    explicit PictureBox(QWidget *parent = nullptr);

    QString imageSource() const { return m_source; }
    void setImageSource(const QString &path);

    // The pixmap drawn at the widget's present device pixel ratio.
    QPixmap pixmap() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawImage(QPainter &painter) const;

    QString m_source;
    // The variant last read, and whether it was read for a screen of more
    // than one device pixel per logical pixel.
    mutable QPixmap m_image;
    mutable bool m_imageForDoubleDensity = false;
};
