#include "app/ui/StartupDialog.h"

#include "app/StartupSelection.h"

#include <QComboBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <cmath>

namespace vdk {

namespace {
constexpr int kWidth = 358;
constexpr int kHeight = 239;

QComboBox* Combo(QWidget* parent, int x, int y, int width) {
    auto* box = new QComboBox(parent);
    box->setGeometry(x, y, width, 22);
    return box;
}

QLabel* Caption(QWidget* parent, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    label->adjustSize();
    return label;
}
} // namespace

StartupDialog::StartupDialog(StartupSelection& selection, bool forNew, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), selection_(selection) {
    setFixedSize(kWidth, kHeight);
    // A borderless window takes its place before it is shown: moved while
    // being shown, Qt keeps the old origin and the lists would drop at the
    // screen's corner.
    const QWidget* over = parent ? parent->window() : nullptr;
    QRect frame(QPoint(), size());
    frame.moveCenter(over && over->isVisible() ? over->frameGeometry().center()
                                               : screen()->availableGeometry().center());
    move(frame.topLeft());
    Caption(this, QStringLiteral("Language"), 12, 90);
    language_ = Combo(this, 12, 108, 145);
    Caption(this, QStringLiteral("Inverter Type-Form"), 12, 142);
    type_ = Combo(this, 12, 160, 109);
    capacity_ = Combo(this, 128, 160, 133);
    Caption(this, QStringLiteral("CPU Ver."), 12, 188);
    cpu_ = Combo(this, 12, 206, 93);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(272, 202, 73, 25);
    ok->setDefault(true);
    language_->setEnabled(!forNew);
    Fill();
    connect(language_, &QComboBox::currentIndexChanged, this,
            [this](int i) { selection_.SelectLanguage(i); });
    connect(type_, &QComboBox::currentIndexChanged, this, [this](int i) {
        selection_.SelectType(i);
        Fill();
    });
    connect(cpu_, &QComboBox::currentIndexChanged, this, [this](int i) {
        selection_.SelectCpu(i);
        Fill();
    });
    connect(capacity_, &QComboBox::currentIndexChanged, this,
            [this](int i) { selection_.SelectCapacity(i); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void StartupDialog::Fill() {
    const std::pair<QComboBox*, std::pair<const QStringList*, int>> boxes[] = {
        {language_, {&selection_.languages, selection_.language}},
        {type_, {&selection_.types, selection_.type}},
        {capacity_, {&selection_.capacities, selection_.capacity}},
        {cpu_, {&selection_.cpus, selection_.cpu}}};
    for (const auto& [box, list] : boxes) {
        const QSignalBlocker block(box);
        box->clear();
        box->addItems(*list.first);
        box->setCurrentIndex(list.second);
    }
}

void StartupDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, kWidth, kHeight);
    sky.setColorAt(0, QColor(0x0B, 0x2E, 0x5C));
    sky.setColorAt(1, QColor(0x12, 0x6B, 0x9E));
    p.fillRect(rect(), sky);
    // A sine wave across the picture: the drive's output.
    QPainterPath wave;
    for (int x = 0; x <= kWidth; x += 2) {
        const double y = 62 + 16 * std::sin(x / 24.0);
        x == 0 ? wave.moveTo(x, y) : wave.lineTo(x, y);
    }
    p.setPen(QPen(QColor(0x6F, 0xD3, 0xFF, 150), 2));
    p.drawPath(wave);
    QFont title = font();
    title.setPointSize(24);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(12, 6, kWidth - 24, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("VDK330Q"));
    QFont sub = font();
    sub.setPointSize(9);
    p.setFont(sub);
    p.setPen(QColor(0xCF, 0xE8, 0xFF));
    p.drawText(QRect(14, 40, kWidth - 24, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Inverter Maintenance Tool  Ver.1.00"));
    p.setPen(QColor(255, 255, 255, 60));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace vdk
