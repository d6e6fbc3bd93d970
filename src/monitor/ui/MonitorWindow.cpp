#include "monitor/ui/MonitorWindow.h"

#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "data/ParaDat.h"
#include "options/EnvironmentOptions.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGraphicsSimpleTextItem>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QValueAxis>

namespace vdk {

namespace {

const QString kSection = QStringLiteral("Monitor");
constexpr int kRepaintMs = 50; // the chart is repainted at most this often

QColor ColourOf(quint32 settings) {
    return QColor(int(settings & 0xFF), int(settings >> 8 & 0xFF), int(settings >> 16 & 0xFF));
}

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

    repaint_ = new QTimer(this);
    repaint_->setSingleShot(true);
    repaint_->setInterval(kRepaintMs);
    connect(repaint_, &QTimer::timeout, this, [this] { Flush(); });
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
            series_[i]->replace(
                RescaledTrace(series_[i]->points(), double(position) / slot.multiplier, 0));
            slot.multiplier = position;
        });
        connect(r.offset, &QSpinBox::valueChanged, this, [this, i](int value) {
            MonitorSlot& slot = setup_.slots[i];
            if (filling_ || value == slot.offset)
                return;
            series_[i]->replace(RescaledTrace(series_[i]->points(), 1, value - slot.offset));
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
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(kMonitorSlots + 1, 1);
    return page;
}

QWidget* MonitorWindow::BuildDisplayTab() {
    auto* page = new QWidget;
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    xAxis_ = new QValueAxis;
    xAxis_->setRange(0, 100);
    xAxis_->setTickCount(21); // a division every five samples
    xAxis_->setLabelFormat(QStringLiteral("^"));
    yAxis_ = new QValueAxis;
    yAxis_->setRange(0, 100);
    yAxis_->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);
    for (int i = 0; i < kMonitorSlots; ++i) {
        series_[i] = new QLineSeries;
        chart->addSeries(series_[i]);
        series_[i]->attachAxis(xAxis_);
        series_[i]->attachAxis(yAxis_);
    }
    const auto overlay = [chart](const QColor& colour) {
        auto* text = new QGraphicsSimpleTextItem(chart);
        text->setBrush(colour);
        text->setZValue(10);
        return text;
    };
    alarmText_ = overlay(Qt::red);
    tripText_ = overlay(Qt::red);
    errorText_ = overlay(QColor(0x80, 0x80, 0x80));
    timeText_ = overlay(QColor(0x80, 0x80, 0x80));
    connect(chart, &QChart::plotAreaChanged, this, [this] { PlaceChartTexts(); });
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing, false);

    auto* values = new QGridLayout;
    values->setVerticalSpacing(2);
    values->addWidget(new QLabel(Text("Label11", "Trigger")), 0, 0);
    values->addWidget(new QLabel(Text("Label12", "Value")), 0, 1);
    for (int i = 0; i < kMonitorSlots; ++i) {
        Row& r = rows_[i];
        r.name = new QLabel(QStringLiteral("CH%1").arg(i + 1));
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
    values->setRowStretch(kMonitorSlots + 1, 1);

    auto* controls = new QHBoxLayout;
    max_ = new QSpinBox;
    max_->setRange(100, 500);
    max_->setSingleStep(5);
    connect(max_, &QSpinBox::valueChanged, this, [this](int m) {
        yAxis_->setRange(0, m);
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
    // Monitor files and printing come with the parts that build them.
    for (QPushButton* b : {open_, saveAs_, print_}) {
        b->setEnabled(false);
        b->setToolTip(QStringLiteral("Not available in this version"));
    }
    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(stop_, &QPushButton::clicked, this, [this] { Stop(); });
    stop_->setEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(view, 1);
    top->addLayout(values);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top, 1);
    layout->addLayout(controls);
    return page;
}

void MonitorWindow::Reload() {
    const InverterIdentity& id = p_.paths.Identity();
    catalogue_ = MonitorCatalogue::Load(IniFile(p_.paths.InfoIni), id.TypeForm, id.LangCode);
    run_ = std::make_unique<MonitorRun>(p_.link, p_.clock, p_.pump, p_.values, catalogue_);
    MonitorRun::Observer observer;
    observer.point = [this](int slot, double x, double y) {
        pending_[slot].append(QPointF(x, y));
        if (!repaint_->isActive())
            repaint_->start();
    };
    observer.value = [this](int slot, const QString& text) { rows_[slot].value->setText(text); };
    observer.alarm = [this](const QString& text) { alarmText_->setText(text); };
    observer.trip = [this](const QString& text) { tripText_->setText(text); };
    observer.errors = [this](int n) {
        errorText_->setText(QStringLiteral("Err.:%1").arg(n));
        errorText_->show();
    };
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
        series_[i]->setPen(QPen(ColourOf(s.colour), 1));
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
        timeText_->setText(continuousTime_->text() + Text("Label23", "(s/div)"));
    } else {
        timeText_->setText(QString::number(time_->value(), 'f', 1) + Text("Label23", "(s/div)"));
    }
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
    max_->setEnabled(!running);
    time_->setEnabled(!running);
    start_->setEnabled(!running);
    stop_->setEnabled(running);
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

    std::optional<ContinuousCsv> csv;
    if (o.MonMode3) {
        const ContinuousPlan plan =
            PlanContinuous(o.MonMode3T, o.MonMode3Smp, setup_.PointsPerChannel());
        config.recordMinutes = o.MonMode3T;
        config.sampleSeconds = o.MonMode3Smp;
        config.decimation = plan.decimation;
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

    for (int i = 0; i < kMonitorSlots; ++i) {
        series_[i]->clear();
        pending_[i].clear();
        series_[i]->setVisible(config.active[i]);
        rows_[i].value->setText(QStringLiteral("0"));
    }
    xAxis_->setRange(0, 100);
    alarmText_->setText(QString());
    tripText_->setText(QString());
    errorText_->hide();
    SetRunning(true);
    record_ = csv ? run_->RunContinuous(config, *csv) : run_->RunNormal(config);
    Flush();
    SetRunning(false);
    Recount();
    if (csv && !csv->Waiting().isEmpty())
        p_.messenger.ShowText(kMsgDataError, csv->Path() + QLatin1Char('\n') + csv->Error(),
                              MsgIcon::Stop);
}

void MonitorWindow::Stop() {
    if (run_)
        run_->RequestStop();
}

// Points come in a batch per repaint, never one repaint per sample; the time
// axis follows the newest point.
void MonitorWindow::Flush() {
    double last = 0;
    for (int i = 0; i < kMonitorSlots; ++i) {
        if (pending_[i].isEmpty())
            continue;
        last = std::max(last, pending_[i].last().x());
        series_[i]->append(pending_[i]);
        pending_[i].clear();
    }
    if (last > xAxis_->max())
        xAxis_->setRange(last - 100, last);
}

void MonitorWindow::PlaceChartTexts() {
    auto* chart = static_cast<QChart*>(alarmText_->parentItem());
    const QRectF area = chart->plotArea();
    alarmText_->setPos(area.left() + 6, area.top() + 5);
    tripText_->setPos(area.left() + 6, area.top() + 22);
    errorText_->setPos(area.right() - 90, area.top() + 5);
    timeText_->setPos(area.left() + 6, area.bottom() - 20);
}

void MonitorWindow::SaveSetup() {
    ReadSetup();
    setup_.Save(p_.settings, p_.paths.Identity());
}

bool MonitorWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !p_.flags.MonitorBusy && catalogue_.Loaded()) {
        auto* chart = static_cast<QChart*>(alarmText_->parentItem());
        chart->setBackgroundBrush(ColourOf(p_.options.MonBack));
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
