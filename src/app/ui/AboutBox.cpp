#include "app/ui/AboutBox.h"

#include "data/Catalogue.h"
#include "settings/LanguageTexts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

namespace vdk {

namespace {
const QString kSection = QStringLiteral("About");
constexpr int kIconSize = 64;

// The kB figure of one "Key:   1234 kB" line, or -1.
qint64 MemInfoValue(const QList<QByteArray>& lines, const QByteArray& key) {
    for (const QByteArray& line : lines) {
        if (!line.startsWith(key + ':'))
            continue;
        bool ok = false;
        const qint64 value = line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong(&ok);
        return ok ? value : -1;
    }
    return -1;
}
} // namespace

MemoryStatus ParseMemInfo(const QByteArray& text) {
    const QList<QByteArray> lines = text.split('\n');
    const qint64 total = MemInfoValue(lines, "MemTotal");
    if (total <= 0)
        return {};
    qint64 available = MemInfoValue(lines, "MemAvailable");
    if (available < 0)
        available = std::max<qint64>(0, MemInfoValue(lines, "MemFree"));
    available = std::min(available, total);
    return {total, available, int((total - available) * 100 / total)};
}

MemoryStatus ReadMemoryStatus() {
    QFile file(QStringLiteral("/proc/meminfo"));
    // A file of the proc system reports size 0: read it to its end.
    return file.open(QIODevice::ReadOnly) ? ParseMemInfo(file.readAll()) : MemoryStatus{};
}

QStringList AboutTargets(const Catalogue& catalogue) {
    QStringList targets;
    for (const QString& type : catalogue.TypeForms())
        for (const QString& cpu : catalogue.CpuVersions(type))
            targets.append(type + QLatin1Char(':') + cpu);
    return targets;
}

AboutBox::AboutBox(const Catalogue& catalogue, const QString& typeForm, const QString& cpuVer,
                   const LanguageTexts& texts, QWidget* parent, MemoryReader memory)
    : QDialog(parent), memory_(std::move(memory)) {
    const auto text = [&](const char* key, const char* def) {
        return texts.LangText(kSection, QLatin1String(key), QLatin1String(def));
    };
    setWindowTitle(text("Form", "Version"));

    auto* icon = new QLabel;
    icon->setPixmap(windowIcon().pixmap(kIconSize, kIconSize));
    icon->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    icon->setVisible(!windowIcon().isNull());

    auto* product = new QLabel(QStringLiteral("VDK330Q"));
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    product->setFont(big);
    auto* version = new QLabel(QStringLiteral("Ver.1.00"));

    targets_ = new QComboBox;
    const QStringList targets = AboutTargets(catalogue);
    targets_->addItems(targets);
    targets_->setCurrentIndex(
        std::max(0, int(targets.indexOf(typeForm + QLatin1Char(':') + cpuVer))));

    const auto bar = [] {
        auto* b = new QProgressBar;
        b->setRange(0, 100);
        return b;
    };
    load_ = bar();
    used_ = bar();
    total_ = new QLabel;
    free_ = new QLabel;

    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(12);
    grid->addWidget(icon, 0, 0, 7, 1);
    grid->addWidget(product, 0, 1, 1, 2);
    grid->addWidget(version, 1, 1, 1, 2);
    grid->addWidget(new QLabel(text("Label1", "For")), 2, 1);
    grid->addWidget(targets_, 2, 2);
    grid->addWidget(line, 3, 1, 1, 2);
    grid->addWidget(new QLabel(text("Label2", "Memory Load")), 4, 1);
    grid->addWidget(load_, 4, 2);
    grid->addWidget(new QLabel(text("Label3", "Locked memory")), 5, 1);
    grid->addWidget(used_, 5, 2);
    auto* figures = new QVBoxLayout;
    figures->addWidget(total_);
    figures->addWidget(free_);
    grid->addLayout(figures, 6, 2);
    grid->addWidget(buttons, 7, 0, 1, 3);
    grid->setColumnMinimumWidth(2, 200);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    Refresh();
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &AboutBox::Refresh);
    timer->start(kRefreshMs);
}

void AboutBox::Refresh() {
    const MemoryStatus m = memory_();
    // The memory load is the share of physical memory in use, so both bars
    // show the same figure.
    load_->setValue(m.loadPercent);
    used_->setValue(m.loadPercent);
    total_->setText(QString::number(m.totalKb) + QStringLiteral(" KB Total"));
    free_->setText(QString::number(m.freeKb) + QStringLiteral(" KB Free"));
}

bool AboutBox::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        Q_EMIT Activated();
    return QDialog::event(event);
}

} // namespace vdk
