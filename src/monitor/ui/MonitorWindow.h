#pragma once

#include "monitor/MonitorCatalogue.h"
#include "monitor/MonitorRun.h"
#include "monitor/MonitorSetup.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGraphicsSimpleTextItem;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace vdk {

class AppPaths;
class Clock;
class CommLink;
class EventPump;
class IniFile;
class LanguageTexts;
class Messenger;
class MonitorChart;
class ParaDat;
class UPara;
struct EnvironmentOptions;
struct ProgramFlags;

// The monitoring window: the ten channel slots on the "Setting" tab, the
// chart and the values on the "Display" tab, normal and continuous runs.
// The set-up and the runs are the monitor core's; this window renders them
// and passes the user's changes on.
class MonitorWindow final : public QWidget {
    Q_OBJECT
public:
    struct Parts {
        CommLink& link;
        Clock& clock;
        EventPump& pump;
        Messenger& messenger;
        ProgramFlags& flags;
        const ParaDat& table;
        const UPara& values;
        const AppPaths& paths;
        IniFile& settings;
        EnvironmentOptions& options;
        QString& monDir;                             // the folder of monitor files
        std::function<void(bool)> mainWindowEnabled; // off while a run goes on
        std::function<void(bool)> commandEnabled;    // the main window's monitor command
        std::function<void()> tripReport; // the information and trip data after a trip stop
    };

    explicit MonitorWindow(Parts parts, QWidget* parent = nullptr);
    ~MonitorWindow() override;

    // The type's items and the stored set-up, again after New.
    void Reload();
    // "Start": the checks, then a normal or continuous run until it ends.
    void Start();
    void Stop();
    bool CatalogueLoaded() const { return catalogue_.Loaded(); }
    const MonitorCatalogue& Catalogue() const { return catalogue_; }
    const MonitorSetup& Setup() const { return setup_; }
    const MonitorRecord& Record() const { return record_; }
    QPushButton* StartButton() const { return start_; }
    QPushButton* StopButton() const { return stop_; }
    QTabWidget* Tabs() const { return tabs_; }
    QLineSeries* Trace(int slot) const;
    MonitorChart* Chart() const { return chart_; }
    QPushButton* SaveAsButton() const { return saveAs_; }
    QPushButton* PrintButton() const { return print_; }
    QLineEdit* ValueBox(int slot) const { return rows_[slot].value; }
    QDoubleSpinBox* MultiplierBox(int slot) const { return rows_[slot].multiplier; }
    QDoubleSpinBox* TimeBase() const { return time_; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Row {
        QCheckBox* select = nullptr;
        QComboBox* item = nullptr;
        QCheckBox* unit = nullptr;
        QDoubleSpinBox* multiplier = nullptr;
        QSpinBox* offset = nullptr;
        QPushButton* colour = nullptr;
        QToolButton* name = nullptr; // "CHn" on the Display tab: the trigger's source
        QLineEdit* value = nullptr;
        QLabel* unitLabel = nullptr;
    };

    QWidget* BuildSettingTab();
    QWidget* BuildDisplayTab();
    void ShowSetup();
    void ReadSetup();
    void Recount();
    // The link check and the transaction time, for the shortest time base.
    void MeasureLink();
    void ShowUnit(int slot);
    void SetRunning(bool running);
    void ShowTrigger();
    void ReadOut(int slot, int index);
    void SaveAs();
    void Open();
    void TakeRecordSetup();
    void Print();
    QString Text(const char* key, const char* def) const;
    void SaveSetup();

    Parts p_;
    MonitorCatalogue catalogue_;
    MonitorSetup setup_;
    RatedValues rated_;
    MonitorRecord record_;
    std::unique_ptr<MonitorRun> run_;
    bool portOk_ = false;
    int avgCommTime_ = 0;
    bool filling_ = false; // the controls are being set from the set-up

    QTabWidget* tabs_ = nullptr;
    std::array<Row, kMonitorSlots> rows_;
    MonitorChart* chart_ = nullptr;
    QLabel* triggerHeading_ = nullptr;
    QLabel* sourceCaption_ = nullptr;
    QLabel* slopeCaption_ = nullptr;
    QToolButton* source_ = nullptr;
    QToolButton* slope_ = nullptr;
    QCheckBox* useTrigger_ = nullptr;
    QCheckBox* zoomMode_ = nullptr;
    QSpinBox* zoom_ = nullptr;
    QSpinBox* level_ = nullptr;
    QSpinBox* delay_ = nullptr;
    QString monName_; // the last monitor file name chosen
    QSpinBox* max_ = nullptr;
    QDoubleSpinBox* time_ = nullptr;
    QLineEdit* continuousTime_ = nullptr;
    QLabel* banner_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* saveAs_ = nullptr;
    QPushButton* print_ = nullptr;
};

} // namespace vdk
