#include "keypad/ui/KeyPadWindow.h"

#include "settings/LanguageTexts.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace vdk {

namespace {

using Key = KeyPadSession::Key;

// The panel is laid out on a fixed logical surface and scaled to the window.
constexpr QSizeF kPanel(260, 340);
constexpr QRectF kLed(22, 40, 216, 84);
constexpr int kStartDelayMs = 200;

const QColor kBody(0x2A, 0x2F, 0x37);
const QColor kLedOn(0xFF, 0x3B, 0x2A);
const QColor kLedOff(0x3A, 0x12, 0x10);
const QColor kLampOn(0x7C, 0xFF, 0x4A);
const QColor kLampOff(0x1E, 0x33, 0x1A);
const QColor kLabel(0xC8, 0xCF, 0xD8);

// Keys in two rows: MON UP ENT over RUN DOWN STOP.
QRectF KeyArea(Key key) {
    static const QPointF kAt[KeyPadSession::KeyCount] = {{30, 262},  {190, 262}, {110, 200},
                                                         {110, 262}, {30, 200},  {190, 200}};
    return QRectF(kAt[key], QSizeF(60, 44));
}

const QRectF kClose(196, 312, 56, 20);
const QRectF kUnit(0, 140, 29, 37);

// One character cell: segments a to g and the point, as polygons computed
// from the cell, so the digits stay sharp at any size.
void PaintCharacter(QPainter& p, const QRectF& cell, quint8 segments) {
    const double w = cell.width(), h = cell.height();
    const double t = w * 0.16;     // segment thickness
    const double slant = w * 0.12; // italic lean of the digit
    const double half = h / 2;
    const auto at = [&](double x, double y) {
        return QPointF(cell.left() + x + slant * (1 - y / h), cell.top() + y);
    };
    const auto horizontal = [&](double y) {
        const double x0 = t * 0.6, x1 = w * 0.78 - t * 0.6;
        return QPolygonF{at(x0, y), at(x0 + t / 2, y - t / 2), at(x1 - t / 2, y - t / 2),
                         at(x1, y), at(x1 - t / 2, y + t / 2), at(x0 + t / 2, y + t / 2)};
    };
    const auto vertical = [&](double x, double y0, double y1) {
        return QPolygonF{at(x, y0 + t * 0.6),         at(x + t / 2, y0 + t * 1.1),
                         at(x + t / 2, y1 - t * 1.1), at(x, y1 - t * 0.6),
                         at(x - t / 2, y1 - t * 1.1), at(x - t / 2, y0 + t * 1.1)};
    };
    const double left = t * 0.35, right = w * 0.78 - t * 0.35;
    const QPolygonF shapes[7] = {
        horizontal(t / 2),                // a
        vertical(right, t / 2, half),     // b
        vertical(right, half, h - t / 2), // c
        horizontal(h - t / 2),            // d
        vertical(left, half, h - t / 2),  // e
        vertical(left, t / 2, half),      // f
        horizontal(half),                 // g
    };
    p.setPen(Qt::NoPen);
    for (int s = 0; s < 7; ++s) {
        p.setBrush(segments >> s & 1 ? kLedOn : kLedOff);
        p.drawPolygon(shapes[s]);
    }
    p.setBrush(segments & 0x80 ? kLedOn : kLedOff);
    p.drawEllipse(at(w * 0.9, h - t / 2), t * 0.55, t * 0.55);
}

} // namespace

KeyPadWindow::KeyPadWindow(KeyPadSession& session, const LanguageTexts& texts, Context context,
                           QWidget* parent)
    : QDialog(parent), session_(session), context_(std::move(context)) {
    const QString section = QStringLiteral("KeyPad");
    setWindowTitle(texts.LangText(section, QStringLiteral("Form"), QStringLiteral("Key Pad")));
    setModal(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(kPanel.toSize() / 2);
    resize(kPanel.toSize());
    closeText_ = texts.LangText(section, QStringLiteral("PopMenu2"), QStringLiteral("Close"));
    menu_ = new QMenu(this);
    fcAction_ = menu_->addAction(
        texts.LangText(section, QStringLiteral("PopMenu1"), QStringLiteral("FC Direct Input")));
    fcAction_->setCheckable(true);
    connect(fcAction_, &QAction::triggered, this, [this] { session_.ToggleFcMode(); });
    menu_->addAction(closeText_, this, &QDialog::reject);

    startTimer_ = new QTimer(this);
    startTimer_->setSingleShot(true);
    startTimer_->setInterval(kStartDelayMs);
    connect(startTimer_, &QTimer::timeout, this, [this] {
        if (isVisible())
            session_.RunLoop();
    });
    phaseTimer_ = new QTimer(this);
    connect(phaseTimer_, &QTimer::timeout, this, [this] { session_.TogglePhase(); });

    session_.SetObserver(KeyPadSession::Observer{[this] {
                                                     fcAction_->setChecked(session_.FcMode());
                                                     update();
                                                 },
                                                 [this](bool run) {
                                                     const int ms = context_.ledMs();
                                                     if (run && ms > 0)
                                                         phaseTimer_->start(ms);
                                                     else
                                                         phaseTimer_->stop();
                                                 },
                                                 [this] { QDialog::reject(); },
                                                 [this] { StartLoopSoon(); }});
}

QTransform KeyPadWindow::PanelTransform() const {
    const double scale = std::min(width() / kPanel.width(), height() / kPanel.height());
    QTransform t;
    t.translate((width() - kPanel.width() * scale) / 2, (height() - kPanel.height() * scale) / 2);
    t.scale(scale, scale);
    return t;
}

QRectF KeyPadWindow::KeyRect(Key key) const {
    return PanelTransform().mapRect(KeyArea(key));
}

QRectF KeyPadWindow::DisplayRect() const {
    return PanelTransform().mapRect(kLed);
}

QRectF KeyPadWindow::CloseRect() const {
    return PanelTransform().mapRect(kClose);
}

std::optional<Key> KeyPadWindow::KeyAt(const QPointF& at) const {
    if (!session_.KeysVisible())
        return std::nullopt;
    for (int k = 0; k < KeyPadSession::KeyCount; ++k)
        if (KeyRect(Key(k)).contains(at))
            return Key(k);
    return std::nullopt;
}

void KeyPadWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(PanelTransform());

    QPainterPath body;
    body.addRoundedRect(QRectF(QPointF(), kPanel), 14, 14);
    p.fillPath(body, kBody);
    p.setPen(QPen(QColor(0x55, 0x5D, 0x69), 1.5));
    p.drawPath(body);

    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kLabel);
    p.drawText(QRectF(22, 10, 216, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("VDK330Q"));
    if (session_.FcMode())
        p.drawText(QRectF(22, 10, 216, 22), Qt::AlignRight | Qt::AlignVCenter, fcAction_->text());

    // The LED window and its four characters.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0B, 0x0B, 0x0D));
    p.drawRoundedRect(kLed, 6, 6);
    const QString text = session_.Display();
    const double cellW = (kLed.width() - 28) / 4;
    for (int i = 0; i < 4; ++i) {
        const QRectF cell(kLed.left() + 14 + i * cellW, kLed.top() + 12, cellW * 0.92,
                          kLed.height() - 24);
        PaintCharacter(p, cell, SegmentsOf(i < text.size() ? text[i] : QLatin1Char(' ')));
    }

    // The status lamps under the display, named as on the panel.
    static const char* const kLamps[] = {"RUN", "VEC", "ECN", "MON", "PRG", "PC", "PF"};
    static const int kBits[] = {0, 1, 2, 3, 4, 6, 7};
    font.setPixelSize(9);
    p.setFont(font);
    for (int i = 0; i < 7; ++i) {
        const double x = 52 + i * 29; // clear of the unit picture at the left edge
        const bool lit = session_.Lamps() >> kBits[i] & 1;
        p.setPen(Qt::NoPen);
        if (lit) {
            p.setBrush(QColor(kLampOn.red(), kLampOn.green(), kLampOn.blue(), 70));
            p.drawEllipse(QPointF(x, 144), 9, 9);
        }
        p.setBrush(lit ? kLampOn : kLampOff);
        p.drawEllipse(QPointF(x, 144), 5, 5);
        p.setPen(kLabel);
        p.drawText(QRectF(x - 14, 154, 28, 14), Qt::AlignCenter, QLatin1String(kLamps[i]));
    }

    if (context_.unit) {
        p.setPen(QPen(QColor(0x8A, 0x93, 0xA0), 1));
        p.setBrush(QColor(0x3C, 0x43, 0x4E));
        p.drawRoundedRect(kUnit.adjusted(2, 0, 0, 0), 3, 3);
        p.drawText(kUnit, Qt::AlignCenter, QStringLiteral("U"));
    }

    // The keys: raised when they can be used, pressed while held.
    static const char* const kNames[] = {"RUN", "STOP", "\u25B2", "\u25BC", "MON", "ENT"};
    font.setPixelSize(13);
    p.setFont(font);
    const bool usable = session_.KeysVisible();
    for (int k = 0; k < KeyPadSession::KeyCount; ++k) {
        const bool pressed = down_ == Key(k);
        QRectF area = KeyArea(Key(k));
        if (pressed)
            area.translate(0, 2);
        QColor face = k == Key::Run    ? QColor(0x2E, 0x8B, 0x57)
                      : k == Key::Stop ? QColor(0xC0, 0x39, 0x2B)
                                       : QColor(0x5A, 0x63, 0x70);
        if (!usable)
            face = face.darker(170);
        else if (pressed)
            face = face.darker(130);
        if (!pressed) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0, 0, 0, 90));
            p.drawRoundedRect(area.translated(0, 3), 8, 8);
        }
        p.setPen(QPen(face.lighter(140), 1));
        p.setBrush(face);
        p.drawRoundedRect(area, 8, 8);
        p.setPen(usable ? Qt::white : QColor(0x9A, 0xA0, 0xA8));
        p.drawText(area, Qt::AlignCenter, QString::fromUtf8(kNames[k]));
    }

    font.setPixelSize(11);
    font.setBold(false);
    font.setUnderline(true);
    p.setFont(font);
    p.setPen(kLabel);
    p.drawText(kClose, Qt::AlignRight | Qt::AlignVCenter, closeText_);
}

void KeyPadWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QDialog::mousePressEvent(event);
    down_ = KeyAt(event->position());
    if (down_ && (*down_ == Key::Up || *down_ == Key::Down))
        session_.Press(*down_);
    update();
}

void KeyPadWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QDialog::mouseReleaseEvent(event);
    const std::optional<Key> key = down_;
    down_.reset();
    update();
    if (!key) {
        if (CloseRect().contains(event->position()))
            reject();
        return;
    }
    if (*key == Key::Up || *key == Key::Down)
        session_.Release(*key);
    else if (KeyRect(*key).contains(event->position()))
        session_.Press(*key); // a click: pressed and released on the key
}

void KeyPadWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (DisplayRect().contains(event->position()))
        session_.ToggleFcMode();
    else
        mousePressEvent(event);
}

void KeyPadWindow::keyPressEvent(QKeyEvent* event) {
    if (!session_.FcMode())
        return QDialog::keyPressEvent(event);
    const QString typed = event->text();
    switch (event->key()) {
    case Qt::Key_Escape:
        session_.FcEscape();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        session_.FcEnter();
        return;
    case Qt::Key_Backspace:
        session_.FcBackspace();
        return;
    case Qt::Key_Delete:
        session_.FcDelete();
        return;
    default:
        break;
    }
    if (typed == QLatin1String(".") || typed == QLatin1String(","))
        session_.FcPoint();
    else if (typed.size() == 1 && typed.front().isDigit())
        session_.FcDigit(typed.front());
}

void KeyPadWindow::contextMenuEvent(QContextMenuEvent* event) {
    ReleaseHeld();
    menu_->popup(event->globalPos());
}

// A held key is let go when the window loses the mouse or the keyboard: a key
// must never stay pressed on the inverter.
bool KeyPadWindow::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowDeactivate:
    case QEvent::FocusOut:
    case QEvent::UngrabMouse:
    case QEvent::Leave:
        ReleaseHeld();
        break;
    default:
        break;
    }
    return QDialog::event(event);
}

void KeyPadWindow::ReleaseHeld() {
    if (!down_)
        return;
    if (*down_ == Key::Up || *down_ == Key::Down)
        session_.Release(*down_);
    down_.reset();
    update();
}

void KeyPadWindow::StartLoopSoon() {
    startTimer_->start();
}

void KeyPadWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    setFocus();
    StartLoopSoon();
}

// Closing, by the close box, Escape, "Close" or the menu, ends the loop
// after its cycle; a held key is let go first.
void KeyPadWindow::reject() {
    ReleaseHeld();
    session_.Close();
    startTimer_->stop();
    phaseTimer_->stop();
    QDialog::reject();
}

} // namespace vdk
