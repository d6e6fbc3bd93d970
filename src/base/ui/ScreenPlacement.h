#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>

namespace vdk {

// Where a window of the framed size `frame` goes so that all of it, title
// bar included, lies inside `available`; a window larger than the screen
// keeps its title bar on the screen.
QPoint FitOnScreen(const QRect& frame, const QRect& available);

// Installed on the application: every dialog about to be shown is moved
// fully onto its screen, and its position is set explicitly, so that Qt
// knows where a borderless window really is (its drop-down lists open under
// their boxes).
class ScreenPlacement final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vdk
