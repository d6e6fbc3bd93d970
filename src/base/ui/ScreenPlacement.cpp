#include "base/ui/ScreenPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace vdk {

QPoint FitOnScreen(const QRect& frame, const QRect& available) {
    const int x =
        std::max(available.left(), std::min(frame.left(), available.right() + 1 - frame.width()));
    const int y =
        std::max(available.top(), std::min(frame.top(), available.bottom() + 1 - frame.height()));
    return {x, y};
}

namespace {

// The window manager's frame around `window`, before it has one of its own:
// that of another framed window, else a title bar's height.
QMargins FrameMargins(const QWidget* window) {
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return {};
    const auto framed = [](const QWidget* w) {
        return w && w->isVisible() && w->frameGeometry() != w->geometry();
    };
    const QWidget* sample = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!framed(sample))
        sample = QApplication::activeWindow();
    if (!framed(sample)) {
        const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        return {4, title + 4, 4, 4};
    }
    const QRect outer = sample->frameGeometry();
    const QRect inner = sample->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

} // namespace

bool ScreenPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show || !watched->isWidgetType())
        return false;
    auto* window = static_cast<QWidget*>(watched);
    if (!window->isWindow() || window->windowType() != Qt::Dialog)
        return false;
    const QScreen* screen = window->screen();
    if (!screen)
        return false;
    const QRect available = screen->availableGeometry();
    if (window->frameGeometry() != window->geometry()) {
        window->move(FitOnScreen(window->frameGeometry(), available));
        return false;
    }
    // Not framed yet: a move places the window's inside, the frame comes
    // around it.
    const QMargins margins = FrameMargins(window);
    QRect frame = window->geometry().marginsAdded(margins);
    if (!window->testAttribute(Qt::WA_Moved)) {
        // Where the dialog would centre itself: over the window that opened
        // it, else on the screen.
        const QWidget* over = window->parentWidget() ? window->parentWidget()->window() : nullptr;
        frame.moveCenter(over && over->isVisible() ? over->frameGeometry().center()
                                                   : available.center());
    }
    const QPoint inside(margins.left(), margins.top());
    window->move(FitOnScreen(frame, available) + inside);
    return false;
}

} // namespace vdk
