#include "window/elided_caption.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>

namespace {

const QChar kEllipsis(0x2026);

// The start of `caption` that painting looks at, without splitting a pair
// of surrogates.
QString paintedPart(const QString &caption)
{
    if (caption.size() <= kPaintedCaptionCharacters)
        return caption;
    qsizetype end = kPaintedCaptionCharacters;
    if (caption.at(end - 1).isHighSurrogate())
        --end;
    return caption.left(end);
}

// Paints the label in place of QLabel, as QLabel paints a plain caption
// without frame, indent or mnemonic, but from the caption's start only.
class ElidedCaptionPainter : public QObject
{
public:
    explicit ElidedCaptionPainter(QLabel *label)
        : QObject(label)
        , m_label(label)
    {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_label || event->type() != QEvent::Paint)
            return false;
        paint();
        return true;
    }

private:
    void paint()
    {
        const QString caption = m_label->text();
        const QString part = paintedPart(caption);
        const QRect area = m_label->contentsRect().marginsRemoved(
            QMargins(m_label->margin(), m_label->margin(), m_label->margin(), m_label->margin()));
        QString shown = m_label->fontMetrics().elidedText(part, Qt::ElideRight, area.width());
        // A cut caption always says so, even when its painted part fits.
        if (part.size() < caption.size() && !shown.endsWith(kEllipsis))
            shown += kEllipsis;

        const Qt::LayoutDirection direction = part.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
        const int flags = int(QStyle::visualAlignment(direction, m_label->alignment()))
            | (direction == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft);
        QPainter painter(m_label);
        m_label->style()->drawItemText(&painter, area, flags, m_label->palette(), m_label->isEnabled(), shown,
                                       m_label->foregroundRole());
    }

    QLabel *m_label;
};

} // namespace

void showCaptionElided(QLabel *label)
{
    label->setTextFormat(Qt::PlainText);
    new ElidedCaptionPainter(label);
}
