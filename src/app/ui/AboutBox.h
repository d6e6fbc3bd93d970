#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QComboBox;
class QLabel;
class QProgressBar;

namespace vdk {

class Catalogue;
class LanguageTexts;

// Physical memory as the about box shows it.
struct MemoryStatus {
    qint64 totalKb = 0;
    qint64 freeKb = 0;   // available to programs without swapping
    int loadPercent = 0; // share of physical memory in use
};

// Reads the text of /proc/meminfo: MemTotal, and MemAvailable (MemFree on
// kernels without it). All zero when the total is missing.
MemoryStatus ParseMemInfo(const QByteArray& text);
// The system's figures now; all zero where the system does not tell.
MemoryStatus ReadMemoryStatus();

// The entries of the "For" list: every type-form of the catalogue in its
// order, each with its CPU versions, as "type-form:CPU version".
QStringList AboutTargets(const Catalogue& catalogue);

// The about box: product and version, the inverters this installation
// serves with the current one selected, and the memory figures, read again
// every second.
class AboutBox final : public QDialog {
    Q_OBJECT
public:
    using MemoryReader = std::function<MemoryStatus()>;
    static constexpr int kRefreshMs = 1000;

    AboutBox(const Catalogue& catalogue, const QString& typeForm, const QString& cpuVer,
             const LanguageTexts& texts, QWidget* parent = nullptr,
             MemoryReader memory = &ReadMemoryStatus);

    QComboBox* TargetList() const { return targets_; }
    QProgressBar* LoadBar() const { return load_; }
    QProgressBar* UsedBar() const { return used_; }
    QLabel* TotalLabel() const { return total_; }
    QLabel* FreeLabel() const { return free_; }

    // Reads the memory figures and shows them; the timer calls it.
    void Refresh();

Q_SIGNALS:
    // The box became the active window.
    void Activated();

protected:
    bool event(QEvent* event) override;

private:
    MemoryReader memory_;
    QComboBox* targets_ = nullptr;
    QProgressBar* load_ = nullptr;
    QProgressBar* used_ = nullptr;
    QLabel* total_ = nullptr;
    QLabel* free_ = nullptr;
};

} // namespace vdk
