#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>

namespace vdk {

// Where a window of the framed size `frame` goes so that all of it, title
// bar included, lies inside `available`; a window larger than the screen
// keeps its title bar on the screen.
QPoint FitOnScreen(const QRect& frame, const QRect& available);

// Installed on the application: every dialog about to be shown is centred
// over the window that opened it and moved fully onto its screen.
class ScreenPlacement final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vdk
