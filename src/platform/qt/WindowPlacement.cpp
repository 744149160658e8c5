#include "platform/qt/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace corvane {
namespace {

// Moves its window once, as the window is first shown (before the window
// system maps it), then goes.
class FirstShowPlacement final : public QObject {
public:
    FirstShowPlacement(QWidget& window, Placement placement)
        : QObject(&window), window_(window), placement_(placement) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Show) {
            Place();
            window_.removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    void Place() {
        const QWidget* parent = window_.parentWidget();
        const QWidget* owner = parent ? parent->window() : nullptr;
        QScreen* screen = owner ? owner->screen() : window_.screen();
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect free = screen->availableGeometry();
        const QRect around = placement_ == Placement::OwnerCentre && owner ? owner->frameGeometry() : free;
        // The frame is not known before the window manager has framed the
        // window; without one the window has no frame at all.
        const QSize size = window_.frameGeometry().size();
        QRect placed = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, around);
        placed.moveLeft(
            std::clamp(placed.left(), free.left(), std::max(free.left(), free.right() - size.width() + 1)));
        placed.moveTop(
            std::clamp(placed.top(), free.top(), std::max(free.top(), free.bottom() - size.height() + 1)));
        window_.move(placed.topLeft());
    }

    QWidget& window_;
    Placement placement_;
};

} // namespace

void PlaceWhenFirstShown(QWidget& window, Placement placement) {
    new FirstShowPlacement(window, placement);
}

} // namespace corvane
