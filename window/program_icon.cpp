#include "window/program_icon.h"

#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <array>

namespace {

// The sizes a title bar draws, at up to twice the normal density.
constexpr std::array kTitleBarIconSizes{16, 24, 32, 48};
// The sizes that task switchers and docks draw.
constexpr std::array kLargeIconSizes{64, 128, 256};

// Each size is read at once, at the density it was drawn for. An icon that
// reads a file only when its size is first asked for keeps the density of
// that first request: after a title bar at twice the density (a browser's)
// the picture at that size would come out scaled up from a smaller one.
void addIconSizes(QIcon &icon, const auto &sizes)
{
    for (const int sizePixels : sizes)
        icon.addPixmap(QPixmap(QStringLiteral(":/assets/icons/tervalo-%1.png").arg(sizePixels)));
}

// The window opens with the icon sizes of its title bar; the larger ones are
// read and handed to the windowing system only after the window's first
// paint, so that they do not delay it.
class LargeIconsAfterFirstPaint : public QObject
{
public:
    explicit LargeIconsAfterFirstPaint(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
        QIcon icon;
        addIconSizes(icon, kTitleBarIconSizes);
        window->setWindowIcon(icon);
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint) {
            m_window->removeEventFilter(this);
            // Queued, so that it runs once the painted window is on screen.
            QTimer::singleShot(0, this, [this] {
                QIcon icon = m_window->windowIcon();
                addIconSizes(icon, kLargeIconSizes);
                m_window->setWindowIcon(icon);
                deleteLater();
            });
        }
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

void setProgramIcon(QWidget *window)
{
    new LargeIconsAfterFirstPaint(window);
}
