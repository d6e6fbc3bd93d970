#include "monitor/ui/MonitorWindow.h"

#include "base/ProgramFlags.h"
#include "base/ui/SettingsColour.h"
#include "comm/CommLink.h"
#include "data/ParaDat.h"
#include "data/UPara.h"
#include "monitor/MonitorFile.h"
#include "monitor/ui/ChartPicture.h"
#include "monitor/ui/MonitorChart.h"
#include "monitor/ui/MonitorReport.h"
#include "options/EnvironmentOptions.h"
#include "printing/ui/PrintPreviewWindow.h"
#include "settings/AppPaths.h"
#include "settings/FileWriter.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsSimpleTextItem>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>

namespace vdk {

namespace {

const QString kSection = QStringLiteral("Monitor");
// Pictures beside those of the language's filters.
const QString kExtraPictures =
    QStringLiteral("|Monitor Picture (*.png)|*.png|Monitor Picture (*.svg)|*.svg");

void Swatch(QPushButton* button, quint32 colour) {
    button->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #666;")
                              .arg(ColourOf(colour).name()));
}

} // namespace

MonitorWindow::MonitorWindow(Parts parts, QWidget* parent)
    : QWidget(parent, Qt::Window), p_(std::move(parts)) {
    setWindowTitle(Text("Form", "Monitoring"));
    setMinimumSize(639, 403);
    tabs_ = new QTabWidget(this);
    tabs_->addTab(BuildDisplayTab(), Text("Tab2", "Display"));
    tabs_->addTab(BuildSettingTab(), Text("Tab1", "Setting"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(tabs_);
    resize(900, 560);

    // The drive keys: run with Shift+F9, stop with F9.
    for (const bool runKey : {true, false}) {
        auto* key = new QShortcut(
            runKey ? QKeySequence(Qt::SHIFT | Qt::Key_F9) : QKeySequence(Qt::Key_F9), this);
        connect(key, &QShortcut::activated, this, [this, runKey] {
            if (!MonitorOptionsOf(p_.options, p_.table, catalogue_, p_.flags.MainteFlag).driveKeys)
                return;
            if (run_ && run_->Running())
                run_->RequestDriveKey(runKey);
            else
                MonitorRun::DriveKey(p_.link, runKey, avgCommTime_);
        });
    }
    if (!p_.options.MonKeep)
        MonitorSetup::Erase(p_.settings);
    Reload();
}

MonitorWindow::~MonitorWindow() = default;

QLineSeries* MonitorWindow::Trace(int slot) const {
    return chart_->Trace(slot);
}

QString MonitorWindow::Text(const char* key, const char* def) const {
    return p_.messenger.Texts().LangText(kSection, QLatin1String(key), QString::fromUtf8(def));
}

QWidget* MonitorWindow::BuildSettingTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setVerticalSpacing(2);
    const char* headings[][2] = {{"Label61", "Unit Chg."},
                                 {"Label62", "Multi."},
                                 {"Label63", "Offset"},
                                 {"Label64", "Color"}};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(new QLabel(Text(headings[c][0], headings[c][1])), 0, c + 2,
                        Qt::AlignHCenter);
    for (int i = 0; i < kMonitorSlots; ++i) {
        Row& r = rows_[i];
        r.select = new QCheckBox(QStringLiteral("CH%1").arg(i + 1));
        r.item = new QComboBox;
        r.item->setMinimumContentsLength(24);
        r.unit = new QCheckBox;
        r.multiplier = new QDoubleSpinBox;
        r.multiplier->setRange(0.1, 10.0);
        r.multiplier->setDecimals(1);
        r.multiplier->setSingleStep(0.1);
        r.offset = new QSpinBox;
        r.offset->setRange(0, 500);
        r.colour = new QPushButton;
        r.colour->setFixedSize(45, 17);
        grid->addWidget(r.select, i + 1, 0);
        grid->addWidget(r.item, i + 1, 1);
        grid->addWidget(r.unit, i + 1, 2, Qt::AlignHCenter);
        grid->addWidget(r.multiplier, i + 1, 3);
        grid->addWidget(r.offset, i + 1, 4);
        grid->addWidget(r.colour, i + 1, 5, Qt::AlignHCenter);
        connect(r.select, &QCheckBox::toggled, this, [this] {
            if (!filling_)
                Recount();
        });
        connect(r.item, &QComboBox::currentIndexChanged, this, [this, i] {
            if (!filling_) {
                ReadSetup();
                ShowUnit(i);
            }
        });
        connect(r.unit, &QCheckBox::toggled, this, [this, i] {
            if (!filling_) {
                ReadSetup();
                ShowUnit(i);
            }
        });
        // Turning a multiplier or an offset redraws what the trace already
        // holds with it.
        connect(r.multiplier, &QDoubleSpinBox::valueChanged, this, [this, i](double value) {
            MonitorSlot& slot = setup_.slots[i];
            const int position = int(std::lround(value * 10));
            if (filling_ || position == slot.multiplier)
                return;
            chart_->Trace(i)->replace(
                RescaledTrace(chart_->Trace(i)->points(), double(position) / slot.multiplier, 0));
            slot.multiplier = position;
        });
        connect(r.offset, &QSpinBox::valueChanged, this, [this, i](int value) {
            MonitorSlot& slot = setup_.slots[i];
            if (filling_ || value == slot.offset)
                return;
            chart_->Trace(i)->replace(
                RescaledTrace(chart_->Trace(i)->points(), 1, value - slot.offset));
            slot.offset = value;
        });
        connect(r.colour, &QPushButton::clicked, this, [this, i] {
            const auto chosen = p_.messenger.Dialogs().ChooseColour(setup_.slots[i].colour);
            if (!chosen)
                return;
            setup_.slots[i].colour = *chosen;
            ShowSetup();
        });
    }
    auto* group = new QGroupBox(Text("Group7", "Trigger Setting"));
    auto* trigger = new QHBoxLayout(group);
    level_ = new QSpinBox;
    level_->setRange(0, 500);
    level_->setSingleStep(5);
    connect(level_, &QSpinBox::valueChanged, this, [this](int level) {
        setup_.triggerLevel = QString::number(level);
        ShowTrigger();
    });
    delay_ = new QSpinBox;
    delay_->setRange(0, 100);
    delay_->setSingleStep(5);
    connect(delay_, &QSpinBox::valueChanged, this,
            [this](int delay) { setup_.triggerDelay = QString::number(delay); });
    trigger->addWidget(new QLabel(Text("Label71", "Level")));
    trigger->addWidget(level_);
    trigger->addSpacing(16);
    trigger->addWidget(new QLabel(Text("Label72", "Delay (%)")));
    trigger->addWidget(delay_);
    trigger->addStretch(1);
    grid->addWidget(group, kMonitorSlots + 1, 0, 1, 6);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(kMonitorSlots + 2, 1);
    return page;
}

QWidget* MonitorWindow::BuildDisplayTab() {
    auto* page = new QWidget;
    chart_ = new MonitorChart;
    connect(chart_, &MonitorChart::ZoomChanged, this, [this](int zoom) {
        const QSignalBlocker block(zoom_);
        zoom_->setValue(zoom);
    });
    connect(chart_, &MonitorChart::LevelDragged, this, [this](int level) {
        level_->setValue(level);
        ShowTrigger();
    });
    connect(chart_, &MonitorChart::PointClicked, this, &MonitorWindow::ReadOut);

    auto* values = new QGridLayout;
    values->setVerticalSpacing(2);
    triggerHeading_ = new QLabel(Text("Label11", "Trigger"));
    values->addWidget(triggerHeading_, 0, 0);
    values->addWidget(new QLabel(Text("Label12", "Value")), 0, 1);
    for (int i = 0; i < kMonitorSlots; ++i) {
        Row& r = rows_[i];
        // A click makes the channel the trigger's source.
        r.name = new QToolButton;
        r.name->setText(QStringLiteral("CH%1").arg(i + 1));
        r.name->setAutoRaise(true);
        connect(r.name, &QToolButton::clicked, this, [this, i] {
            if (!useTrigger_->isChecked() || p_.flags.MonitorBusy || p_.options.MonMode3)
                return;
            setup_.triggerChannel = i;
            ShowTrigger();
        });
        r.value = new QLineEdit(QStringLiteral("0"));
        r.value->setReadOnly(true);
        r.value->setFixedWidth(64);
        r.value->setAlignment(Qt::AlignRight);
        r.unitLabel = new QLabel(QStringLiteral("(-)"));
        r.unitLabel->setMinimumWidth(48);
        values->addWidget(r.name, i + 1, 0);
        values->addWidget(r.value, i + 1, 1);
        values->addWidget(r.unitLabel, i + 1, 2);
    }
    // The source moves to the next selected channel, the slope to the next
    // of Up, Down, Both.
    sourceCaption_ = new QLabel(Text("Label42", "Sourse") + QStringLiteral(" :"));
    source_ = new QToolButton;
    connect(source_, &QToolButton::clicked, this, [this] {
        for (int step = 1; step <= setup_.UsableSlots(); ++step) {
            const int next = (setup_.triggerChannel + step) % setup_.UsableSlots();
            if (rows_[next].select->isChecked()) {
                setup_.triggerChannel = next;
                break;
            }
        }
        ShowTrigger();
    });
    slopeCaption_ = new QLabel(Text("Label43", "Slope") + QStringLiteral(" :"));
    slope_ = new QToolButton;
    connect(slope_, &QToolButton::clicked, this, [this] {
        setup_.triggerSlope = (setup_.triggerSlope + 1) % 3;
        ShowTrigger();
    });
    values->addWidget(sourceCaption_, kMonitorSlots + 2, 0);
    values->addWidget(source_, kMonitorSlots + 2, 1);
    values->addWidget(slopeCaption_, kMonitorSlots + 3, 0);
    values->addWidget(slope_, kMonitorSlots + 3, 1);
    values->setRowStretch(kMonitorSlots + 1, 1);

    auto* viewing = new QHBoxLayout;
    useTrigger_ = new QCheckBox(Text("Check4", "Use Level Trigger"));
    connect(useTrigger_, &QCheckBox::toggled, this, [this](bool on) {
        setup_.trigger = on;
        ShowTrigger();
    });
    zoomMode_ = new QCheckBox(Text("Check3", "Zoom"));
    connect(zoomMode_, &QCheckBox::toggled, this, [this](bool on) {
        setup_.zoom = on;
        chart_->SetZoomMode(on);
        chart_->setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
    });
    zoom_ = new QSpinBox;
    zoom_->setRange(10, 100);
    zoom_->setSingleStep(5);
    zoom_->setValue(100);
    connect(zoom_, &QSpinBox::valueChanged, this, [this](int zoom) { chart_->SetZoom(zoom); });
    viewing->addWidget(useTrigger_);
    viewing->addSpacing(12);
    viewing->addWidget(zoomMode_);
    viewing->addSpacing(12);
    viewing->addWidget(new QLabel(Text("Label24", "Zoom")));
    viewing->addWidget(zoom_);
    viewing->addWidget(new QLabel(QStringLiteral("(%)")));
    viewing->addStretch(1);

    auto* controls = new QHBoxLayout;
    max_ = new QSpinBox;
    max_->setRange(100, 500);
    max_->setSingleStep(5);
    connect(max_, &QSpinBox::valueChanged, this, [this](int m) {
        chart_->SetFullScale(m);
        setup_.max = QString::number(m);
    });
    time_ = new QDoubleSpinBox;
    time_->setDecimals(1);
    time_->setRange(0.1, 30.0);
    time_->setSingleStep(0.5);
    connect(time_, &QDoubleSpinBox::valueChanged, this,
            [this](double t) { setup_.time = QString::number(t, 'f', 1); });
    // A continuous run's time base follows from the record and sampling
    // times; it is shown in a read-only box in the time base's place.
    continuousTime_ = new QLineEdit;
    continuousTime_->setEnabled(false);
    continuousTime_->setAlignment(Qt::AlignRight);
    continuousTime_->setMaximumWidth(time_->sizeHint().width());
    banner_ = new QLabel(Text("Label41", "Continuous Monitoring"));
    banner_->setStyleSheet(QStringLiteral("color: #B03030;"));
    controls->addWidget(new QLabel(Text("Label21", "Max.")));
    controls->addWidget(max_);
    controls->addSpacing(12);
    controls->addWidget(new QLabel(Text("Label22", "Time")));
    controls->addWidget(time_);
    controls->addWidget(continuousTime_);
    controls->addWidget(new QLabel(Text("Label23", "(s/div)")));
    controls->addSpacing(12);
    controls->addWidget(banner_);
    controls->addStretch(1);
    start_ = new QPushButton(Text("Button1", "Start"));
    stop_ = new QPushButton(Text("Button2", "Stop"));
    open_ = new QPushButton(Text("Button3", "Open"));
    saveAs_ = new QPushButton(Text("Button4", "Save As"));
    print_ = new QPushButton(Text("Button5", "Print"));
    for (QPushButton* b : {start_, stop_, open_, saveAs_, print_})
        controls->addWidget(b);
    print_->setEnabled(false);
    saveAs_->setEnabled(false);
    connect(print_, &QPushButton::clicked, this, [this] { Print(); });
    connect(open_, &QPushButton::clicked, this, [this] { Open(); });
    connect(saveAs_, &QPushButton::clicked, this, [this] { SaveAs(); });
    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(stop_, &QPushButton::clicked, this, [this] { Stop(); });
    stop_->setEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(chart_, 1);
    top->addLayout(values);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top, 1);
    layout->addLayout(viewing);
    layout->addLayout(controls);
    return page;
}

void MonitorWindow::Reload() {
    const InverterIdentity& id = p_.paths.Identity();
    catalogue_ = MonitorCatalogue::Load(IniFile(p_.paths.InfoIni), id.TypeForm, id.LangCode);
    run_ = std::make_unique<MonitorRun>(p_.link, p_.clock, p_.pump, p_.values, catalogue_);
    MonitorRun::Observer observer;
    observer.point = [this](int slot, double x, double y) { chart_->Add(slot, x, y); };
    observer.value = [this](int slot, const QString& text) { rows_[slot].value->setText(text); };
    observer.alarm = [this](const QString& text) { chart_->SetAlarmText(text); };
    observer.trip = [this](const QString& text) { chart_->SetTripText(text); };
    observer.errors = [this](int n) { chart_->SetErrorCount(n); };
    observer.waiting = [this](bool on) { chart_->SetWaiting(on); };
    observer.triggered = [this](int held) { chart_->Triggered(held); };
    observer.driveKeyFailed = [this](bool) { p_.messenger.Show(kMsgNoLink, MsgIcon::Exclamation); };
    run_->SetObserver(observer);
    if (p_.commandEnabled)
        p_.commandEnabled(catalogue_.Loaded());
    if (!catalogue_.Loaded())
        return;
    for (Row& r : rows_) {
        const QSignalBlocker block(r.item);
        r.item->clear();
        for (const MonitorItem& item : catalogue_.items)
            r.item->addItem(item.name);
    }
    setup_.Restore(p_.settings, id, int(catalogue_.items.size()));
    MeasureLink();
    rated_ = ReadRatedValues(p_.link, p_.table, p_.values, id.Capacity, portOk_);
    ShowSetup();
}

void MonitorWindow::ShowSetup() {
    filling_ = true;
    const MonitorOptions allowed =
        MonitorOptionsOf(p_.options, p_.table, catalogue_, p_.flags.MainteFlag);
    setup_.ApplyAlarmTripSlots(allowed.alarm, allowed.trip);
    for (int i = 0; i < kMonitorSlots; ++i) {
        const MonitorSlot& s = setup_.slots[i];
        Row& r = rows_[i];
        r.select->setChecked(s.selected);
        r.item->setCurrentIndex(s.item);
        r.unit->setChecked(s.unitChange);
        r.multiplier->setValue(s.Multiplier());
        r.offset->setValue(s.offset);
        Swatch(r.colour, s.colour);
        chart_->SetTraceColour(i, ColourOf(s.colour));
        QPalette palette = r.value->palette();
        palette.setColor(QPalette::Text, ColourOf(s.colour));
        r.value->setPalette(palette);
        for (QWidget* w :
             std::initializer_list<QWidget*>{r.select, r.item, r.unit, r.multiplier, r.offset,
                                             r.colour, r.name, r.value, r.unitLabel})
            w->setVisible(s.visible);
        ShowUnit(i);
    }
    max_->setValue(setup_.max.toInt());
    {
        const QSignalBlocker blockTrigger(useTrigger_), blockZoom(zoomMode_);
        const QSignalBlocker blockLevel(level_), blockDelay(delay_);
        useTrigger_->setChecked(setup_.trigger);
        zoomMode_->setChecked(setup_.zoom);
        chart_->SetZoomMode(setup_.zoom);
        level_->setValue(setup_.triggerLevel.toInt());
        delay_->setValue(setup_.triggerDelay.toInt());
    }
    banner_->setVisible(p_.options.MonMode3);
    time_->setVisible(!p_.options.MonMode3);
    continuousTime_->setVisible(p_.options.MonMode3);
    filling_ = false;
    Recount();
}

void MonitorWindow::ShowUnit(int slot) {
    const MonitorSlot& s = setup_.slots[slot];
    if (s.item >= catalogue_.items.size())
        return;
    const MonitorItem& item = catalogue_.items[s.item];
    const bool alternative = item.altUnit != QLatin1String("(-)");
    rows_[slot].unit->setEnabled(alternative && s.selected);
    rows_[slot].unitLabel->setText(alternative && s.unitChange ? item.altUnit : item.unit);
    rows_[slot].name->setToolTip(item.name);
    rows_[slot].value->setToolTip(item.name);
}

void MonitorWindow::ReadSetup() {
    for (int i = 0; i < kMonitorSlots; ++i) {
        MonitorSlot& s = setup_.slots[i];
        const Row& r = rows_[i];
        s.selected = r.select->isChecked();
        s.item = std::max(0, r.item->currentIndex());
        s.unitChange = r.unit->isChecked() && r.unit->isEnabled();
        s.multiplier = int(std::lround(r.multiplier->value() * 10));
        s.offset = r.offset->value();
    }
}

void MonitorWindow::Recount() {
    ReadSetup();
    for (int i = 0; i < kMonitorSlots; ++i) {
        const bool on = setup_.slots[i].selected && setup_.slots[i].visible;
        for (QWidget* w :
             std::initializer_list<QWidget*>{rows_[i].item, rows_[i].multiplier, rows_[i].offset,
                                             rows_[i].name, rows_[i].value, rows_[i].unitLabel})
            w->setEnabled(on);
        ShowUnit(i);
    }
    start_->setEnabled(setup_.SelectedCount() > 0 && portOk_ && !p_.flags.MonitorBusy);
    // The shortest time base leaves every read of a sample its time; a recount
    // starts from it.
    if (setup_.ReadsPerSample() > 0) {
        time_->setMinimum(setup_.MinTimeBaseMs() / 1000.0);
        time_->setValue(setup_.MinTimeBaseMs() / 1000.0);
    }
    if (p_.options.MonMode3) {
        const ContinuousPlan plan = PlanContinuous(p_.options.MonMode3T, p_.options.MonMode3Smp,
                                                   std::max(1, setup_.PointsPerChannel()));
        continuousTime_->setText(QString::number(plan.timeBaseSeconds, 'f', 1));
        chart_->SetTimeText(continuousTime_->text() + Text("Label23", "(s/div)"));
    } else {
        chart_->SetTimeText(QString::number(time_->value(), 'f', 1) + Text("Label23", "(s/div)"));
    }
    ShowTrigger();
}

// The trigger's controls: shown with "Use Level Trigger" outside continuous
// mode, the source's channel label red and bold.
void MonitorWindow::ShowTrigger() {
    const bool on = useTrigger_->isChecked() && !p_.options.MonMode3;
    useTrigger_->setVisible(!p_.options.MonMode3);
    const int source = std::clamp(setup_.triggerChannel, 0, kMonitorSlots - 1);
    for (int i = 0; i < kMonitorSlots; ++i) {
        QFont font = rows_[i].name->font();
        font.setBold(on && i == source);
        rows_[i].name->setFont(font);
        rows_[i].name->setStyleSheet(on && i == source ? QStringLiteral("color: red;") : QString());
    }
    for (QWidget* w : std::initializer_list<QWidget*>{triggerHeading_, sourceCaption_, source_,
                                                      slopeCaption_, slope_})
        w->setVisible(on);
    source_->setText(QStringLiteral("CH%1").arg(source + 1));
    source_->setEnabled(setup_.slots[source].selected && setup_.slots[source].visible);
    const char* slopes[][2] = {{"Item71", "Up"}, {"Item72", "Down"}, {"Item73", "Both"}};
    const char* arrows[] = {"\u2191 ", "\u2193 ", "\u2195 "};
    const int slope = std::clamp(setup_.triggerSlope, 0, 2);
    slope_->setText(QString::fromUtf8(arrows[slope]) + Text(slopes[slope][0], slopes[slope][1]));
    chart_->SetMarker(level_->value(), on);
}

void MonitorWindow::MeasureLink() {
    portOk_ = p_.link.CommunicationCheck();
    if (portOk_) {
        const int slot = setup_.slots[1].item;
        const MonitorChannel probe = slot < catalogue_.items.size()
                                         ? MonitorChannel::For(p_.table, catalogue_.items[slot])
                                         : MonitorChannel{};
        avgCommTime_ = MeasureTransaction(p_.link, p_.clock, probe, p_.options.ComChkTimes);
        setup_.minReadTime = MinReadTime(avgCommTime_, p_.options.MMG);
    } else {
        setup_.minReadTime = 500;
    }
}

void MonitorWindow::SetRunning(bool running) {
    p_.flags.MonitorBusy = running;
    if (p_.mainWindowEnabled)
        p_.mainWindowEnabled(!running);
    tabs_->widget(1)->setEnabled(!running);
    tabs_->tabBar()->setEnabled(!running);
    chart_->SetBusy(running);
    for (QWidget* w : std::initializer_list<QWidget*>{max_, time_, useTrigger_, zoomMode_, zoom_,
                                                      source_, slope_, start_})
        w->setEnabled(!running);
    for (const Row& r : rows_)
        r.name->setEnabled(!running && r.select->isChecked());
    stop_->setEnabled(running);
    open_->setEnabled(!running && !p_.options.MonMode3);
    saveAs_->setEnabled(!running && record_.SampleCount() > 0);
    print_->setEnabled(!running && record_.SampleCount() > 0);
}

void MonitorWindow::Start() {
    if (p_.flags.MonitorBusy)
        return;
    ReadSetup();
    portOk_ = p_.link.CommunicationCheck();
    if (!portOk_) {
        p_.messenger.Show(kMsgNoLink, MsgIcon::Exclamation);
        return;
    }
    if (setup_.ReadsPerSample() <= 0) {
        p_.messenger.Show(kMsgNoChannel, MsgIcon::Stop);
        return;
    }
    const EnvironmentOptions& o = p_.options;
    MonitorRunConfig config =
        setup_.RunConfig(catalogue_, p_.table, rated_,
                         MonitorOptionsOf(o, p_.table, catalogue_, p_.flags.MainteFlag));
    config.decimalComma = DecimalCommaOf(p_.settings, p_.paths.Identity().Language);
    config.sampleIntervalMs = time_->value() * 200;
    config.setup.timeBaseSeconds = time_->value();

    std::optional<ContinuousCsv> csv;
    if (o.MonMode3) {
        const ContinuousPlan plan =
            PlanContinuous(o.MonMode3T, o.MonMode3Smp, setup_.PointsPerChannel());
        config.recordMinutes = o.MonMode3T;
        config.sampleSeconds = o.MonMode3Smp;
        config.decimation = plan.decimation;
        config.setup.timeBaseSeconds = plan.timeBaseSeconds;
        p_.messenger.ShowText(
            kMsgRecordTime,
            ContinuousNotice(p_.messenger, o.MonMode3T, o.MonMode3Smp, plan.sizeFigure),
            MsgIcon::Exclamation);
        const auto choice = p_.messenger.Dialogs().SaveFileName(
            FileRequest{p_.monDir, Text("SaveFile2", "Monitor Datas(*.csv)|*.csv"), 1,
                        QStringLiteral("csv"), QString()});
        if (!choice || choice->path.isEmpty())
            return;
        QString path = choice->path;
        if (!path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
            path += QStringLiteral(".csv");
        if (!MayWriteCompletedName(p_.messenger, choice->path, path))
            return;
        p_.monDir = QFileInfo(path).absolutePath();
        csv.emplace(path);
        QStringList names;
        for (int i = 0; i < kMonitorSlots; ++i)
            names.append(config.active[i] ? catalogue_.items[setup_.slots[i].item].name
                                          : QString());
        const QChar separator = QLatin1Char(config.decimalComma ? ';' : ',');
        if (!csv->Start(
                ContinuousHeader(p_.paths.Identity().TypeForm + p_.paths.Identity().Capacity,
                                 QString::number(o.MonMode3T), QString::number(o.MonMode3Smp),
                                 p_.messenger.Text(kMsgTimeLabel), names, separator))) {
            p_.messenger.ShowText(kMsgDataError, path + QLatin1Char('\n') + csv->Error(),
                                  MsgIcon::Stop);
            return;
        }
    }

    for (Row& r : rows_)
        r.value->setText(QStringLiteral("0"));
    chart_->Begin(config.active);
    chart_->SetAlarmText(QString());
    chart_->SetTripText(QString());
    chart_->SetErrorCount(0);
    record_ = MonitorRecord();
    SetRunning(true);
    const bool triggered = !csv && setup_.trigger;
    record_ = csv         ? run_->RunContinuous(config, *csv)
              : triggered ? run_->RunTriggered(config)
                          : run_->RunNormal(config);
    // The triggered record gets the part held before the trigger at its end.
    if (triggered)
        chart_->Show(record_);
    else
        chart_->Finish();
    SetRunning(false);
    Recount();
    if (record_.tripped && config.stopAtTrip && p_.tripReport)
        p_.tripReport();
    if (csv && !csv->Waiting().isEmpty())
        p_.messenger.ShowText(kMsgDataError, csv->Path() + QLatin1Char('\n') + csv->Error(),
                              MsgIcon::Stop);
}

void MonitorWindow::Stop() {
    if (run_)
        run_->RequestStop();
}

void MonitorWindow::ReadOut(int slot, int index) {
    if (index < 0 || index >= record_.SampleCount() || !record_.active[slot])
        return;
    const int item = record_.setup.item[slot];
    const MonitorItem& it = catalogue_.items.value(item);
    const MonitorChannel channel = MonitorChannel::For(p_.table, it);
    const QString text = ReadOutText(record_, slot, index, it.name, channel.decimals,
                                     DecimalCommaOf(p_.settings, p_.paths.Identity().Language),
                                     {Text("Label12", "Value"), Text("Label62", "Multi."),
                                      Text("Label63", "Offset"), Text("LabelA", "Passed Time")});
    p_.messenger.ShowText(0, text, MsgIcon::Information);
}

// A finished record as a monitor file, its CSV table or a picture; after a
// continuous run, pictures only.
void MonitorWindow::SaveAs() {
    const bool picturesOnly = record_.kind == MonitorRecord::Kind::Continuous;
    const QString filter =
        picturesOnly
            ? Text("SaveFile3", "Monitor Picture(*.bmp)|*.bmp") + kExtraPictures
            : Text("SaveFile1", "VDK330Q Monitor Datas(*.mon)|*.mon|Monitor Datas(*.csv)|*.csv|"
                                "Monitor Picture(*.bmp)|*.bmp|Monitor Picture(*.jpg)|*.jpg") +
                  kExtraPictures;
    const auto choice = p_.messenger.Dialogs().SaveFileName(
        FileRequest{p_.monDir, filter, MonitorSaveFilter(monName_, picturesOnly),
                    MonitorSaveExtensions(picturesOnly).first(), monName_});
    if (!choice || choice->path.isEmpty())
        return;
    const QString path = MonitorSaveName(choice->path, choice->filterIndex, picturesOnly);
    if (!MayWriteCompletedName(p_.messenger, choice->path, path))
        return;
    p_.monDir = QFileInfo(path).absolutePath();
    monName_ = QFileInfo(path).fileName();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const InverterIdentity& id = p_.paths.Identity();
    const QStringList names = RecordItemNames(record_, catalogue_);
    const std::optional<QByteArray> data = MonitorDataBytes(
        path, record_, {id.TypeForm, id.Capacity, id.CpuVer}, names,
        MonitorTableTextsOf(p_.messenger), DecimalCommaOf(p_.settings, id.Language));
    QString error;
    bool written = false;
    if (data) {
        written = WriteFileAtomically(path, *data, &error);
    } else {
        QList<LegendEntry> legend;
        for (int slot = 0; slot < kMonitorSlots; ++slot)
            if (!names[slot].isEmpty())
                legend.append({chart_->Trace(slot), names[slot]});
        written = SaveChartPicture(*chart_->chart(), legend, path, &error);
    }
    QApplication::restoreOverrideCursor();
    if (!written) {
        p_.messenger.ShowText(kMsgDataError, path + QLatin1Char('\n') + error, MsgIcon::Stop);
        return;
    }
    if (path.endsWith(QLatin1String(".mon"), Qt::CaseInsensitive))
        setWindowTitle(Text("Form", "Monitoring") + QLatin1Char(' ') +
                       p_.messenger.Text(kMsgFileLabel) + monName_);
}

// The report of the record as the chart shows it now, previewed and printed.
void MonitorWindow::Print() {
    std::array<quint32, kMonitorSlots> colours{};
    for (int slot = 0; slot < kMonitorSlots; ++slot)
        colours[slot] = setup_.slots[slot].colour;
    const InverterIdentity& id = p_.paths.Identity();
    MonitorReportContent content = MonitorReportOf(
        record_, chart_->View(), chart_->Zoom(), colours, setup_.UsableSlots(), catalogue_,
        p_.table, p_.messenger, DecimalCommaOf(p_.settings, id.Language));
    content.inverter = id.TypeForm + id.Capacity;
    content.made = QDateTime::currentDateTime();
    PageSetup page;
    page.Load(p_.settings);
    page.commentText = p_.values.Comment;
    const MonitorReport report(std::move(content), page);
    PrintPreviewWindow preview(report, p_.messenger, p_.monDir, this);
    preview.exec();
}

// A monitor file replaces the record and the set-up only once all of it was
// read and the user took it.
void MonitorWindow::Open() {
    const auto choice = p_.messenger.Dialogs().OpenFileName(
        FileRequest{p_.monDir, Text("OpenFile1", "VDK330Q Monitor Datas(*.mon)|*.mon"), 1,
                    QStringLiteral("mon"), QString()});
    if (!choice || choice->path.isEmpty())
        return;
    const QString path = choice->path;
    p_.monDir = QFileInfo(path).absolutePath();
    monName_ = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        p_.messenger.ShowText(kMsgDataError, path + QLatin1Char('\n') + file.errorString(),
                              MsgIcon::Stop);
        return;
    }
    int badLine = 0;
    const std::optional<MonitorFile> mon =
        ParseMonitorFile(file.readAll(), int(catalogue_.items.size()), &badLine);
    if (!mon) {
        p_.messenger.ShowText(kMsgDataError,
                              p_.messenger.Text(kMsgDataError) + QLatin1Char('\n') + path +
                                  QLatin1Char('\n') +
                                  p_.messenger.Text(kMsgDamagedLine).arg(badLine),
                              MsgIcon::Stop);
        return;
    }
    const InverterIdentity& id = p_.paths.Identity();
    const MonitorFileInverter& from = mon->inverter;
    if (from.typeForm != id.TypeForm) {
        p_.messenger.ShowText(
            kMsgOtherTypeForm,
            p_.messenger.Text(kMsgOtherTypeForm) + QLatin1Char('\n') + from.typeForm +
                from.capacity +
                (mon->earlier ? QStringLiteral(" ")
                              : QStringLiteral(" (") + from.cpuVer + QStringLiteral(") ")) +
                p_.messenger.Text(kMsgCannotBeUsed),
            MsgIcon::Exclamation);
        return;
    }
    if (!mon->earlier && from.cpuVer != id.CpuVer &&
        p_.messenger.ShowText(kMsgCpuQuestion,
                              p_.messenger.Text(kMsgCpuQuestion) + QStringLiteral("\n* ") +
                                  from.typeForm + from.capacity + QStringLiteral(" (") +
                                  from.cpuVer + QStringLiteral(") ") +
                                  p_.messenger.Text(kMsgDataFile),
                              MsgIcon::Exclamation, MsgButtons::OkCancel) != Answer::Ok)
        return;
    record_ = mon->record;
    TakeRecordSetup();
    chart_->Show(record_);
    chart_->SetErrorCount(record_.errors);
    chart_->SetTimeText(QString::number(record_.setup.timeBaseSeconds, 'f', 1) +
                        Text("Label23", "(s/div)"));
    for (Row& r : rows_)
        r.value->setText(QStringLiteral("0"));
    saveAs_->setEnabled(true);
    print_->setEnabled(true);
    setWindowTitle(Text("Form", "Monitoring") + QLatin1Char(' ') +
                   p_.messenger.Text(kMsgFileLabel) + monName_ + QStringLiteral(" (") +
                   from.typeForm + from.capacity + QLatin1Char(')'));
}

// The set-up of an opened record on the controls: the channels, the trigger,
// the full scale, and the alarm and trip reads it was taken with.
void MonitorWindow::TakeRecordSetup() {
    const MonitorRecordSetup& r = record_.setup;
    p_.options.MonMode5 = r.alarm;
    p_.options.MonMode6 = r.trip;
    p_.options.MonMode7 = r.stopAtTrip;
    for (int i = 0; i < kMonitorSlots; ++i) {
        MonitorSlot& slot = setup_.slots[i];
        slot.item = r.item[i];
        slot.multiplier = r.multiplier[i];
        slot.offset = r.offset[i];
        slot.selected = r.selected[i];
    }
    setup_.max = QString::number(r.fullScale);
    setup_.trigger = r.trigger.use;
    setup_.triggerChannel = r.trigger.source;
    setup_.triggerSlope = r.trigger.slope;
    setup_.triggerLevel = QString::number(r.trigger.level);
    setup_.triggerDelay = QString::number(r.trigger.delay);
    ShowSetup();
}

void MonitorWindow::SaveSetup() {
    ReadSetup();
    setup_.Save(p_.settings, p_.paths.Identity());
}

bool MonitorWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !p_.flags.MonitorBusy && catalogue_.Loaded()) {
        chart_->SetBackground(ColourOf(p_.options.MonBack));
        MeasureLink();
        ShowSetup();
    } else if (event->type() == QEvent::WindowDeactivate && !p_.flags.MonitorBusy) {
        SaveSetup();
    }
    return QWidget::event(event);
}

void MonitorWindow::closeEvent(QCloseEvent* event) {
    if (p_.flags.MonitorBusy) {
        event->ignore();
        return;
    }
    SaveSetup();
    event->accept();
}

} // namespace vdk
