#pragma once

#include "keypad/KeyPadSession.h"

#include <QDialog>
#include <QRectF>
#include <optional>

class QAction;
class QMenu;
class QTimer;

namespace vdk {

class LanguageTexts;

// The inverter's front panel on the PC: the LED display, the status lamps
// and the six keys, painted at any size. It renders the key pad session and
// passes clicks, held keys and the typed frequency to it.
class KeyPadWindow final : public QDialog {
    Q_OBJECT
public:
    struct Context {
        bool unit = false; // [Setup] Unit: the unit picture is on the panel
        // "LED Display Timer", read at each start of the loop; 0 keeps frame A.
        std::function<int()> ledMs = [] { return 260; };
    };

    KeyPadWindow(KeyPadSession& session, const LanguageTexts& texts, Context context,
                 QWidget* parent = nullptr);

    KeyPadSession& Session() { return session_; }
    // The panel's parts in the window's pixels, for clicks and tests.
    QRectF KeyRect(KeyPadSession::Key key) const;
    QRectF DisplayRect() const;
    QRectF CloseRect() const;
    QAction* FcAction() const { return fcAction_; }
    // Closing, by the close box, Escape, "Close" or the menu.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QTransform PanelTransform() const;
    std::optional<KeyPadSession::Key> KeyAt(const QPointF& at) const;
    void ReleaseHeld();
    void StartLoopSoon();

    KeyPadSession& session_;
    Context context_;
    QTimer* startTimer_ = nullptr;
    QTimer* phaseTimer_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* fcAction_ = nullptr;
    std::optional<KeyPadSession::Key> down_; // the key under the pressed mouse button
    QString closeText_;
};

} // namespace vdk
