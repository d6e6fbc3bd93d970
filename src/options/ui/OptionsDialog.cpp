#include "options/ui/OptionsDialog.h"

#include "base/ProgramFlags.h"
#include "base/ui/SettingsColour.h"
#include "comm/CommSettings.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <limits>

namespace vdk {

namespace {

using Options = EnvironmentOptions;

struct NumberField {
    OptionField range;
    int Options::*value;
};

// The number fields of the window; the multiplier has its own check.
const std::map<std::string, NumberField>& NumberFields() {
    constexpr int kNoLimit = std::numeric_limits<int>::max();
    static const std::map<std::string, NumberField> fields{
        {"UndoMax", {kUndoMaxField, &Options::UndoMax}},
        {"SnapshotKeep", {kSnapshotKeepField, &Options::SnapshotKeep}},
        {"PanelTime1", {kPanelTimeField, &Options::PanelTime1}},
        {"MonVal", {kMonValField, &Options::MonVal}},
        {"MonMode3T", {kRecordTimeField, &Options::MonMode3T}},
        {"MonMode3Smp", {kSamplingTimeField, &Options::MonMode3Smp}},
        {"MMG", {{"MMG", 0, kNoLimit}, &Options::MMG}},
        {"ComChkTimes", {{"ComChkTimes", 1, kNoLimit}, &Options::ComChkTimes}}};
    return fields;
}

const std::map<std::string, quint32 Options::*>& ColourFields() {
    static const std::map<std::string, quint32 Options::*> colours{
        {"MonBack", &Options::MonBack}, {"MCC", &Options::MCC}, {"MBC", &Options::MBC},
        {"MWC", &Options::MWC},         {"MTC", &Options::MTC}, {"MEC", &Options::MEC}};
    return colours;
}

QString MultiplierText(int stored) {
    return QString::number(stored / 100.0, 'f', 2);
}

} // namespace

OptionsDialog::OptionsDialog(EnvironmentOptions& options, IniFile& settings,
                             const LanguageTexts& texts, Messenger& messenger, ProgramFlags& flags,
                             Context context, QWidget* parent)
    : QDialog(parent), options_(options), edited_(options), settings_(settings),
      messenger_(messenger), flags_(flags), context_(std::move(context)) {
    const auto text = [&](const char* key, const char* def) {
        return texts.LangText(QStringLiteral("Options"), QLatin1String(key),
                              QString::fromLatin1(def));
    };
    setWindowTitle(text("Form", "Environment Options"));
    pages_ = new QTabWidget(this);

    const auto box = [&](QLayout* layout, const char* key, bool Options::*value,
                         const char* captionKey, const char* caption) {
        auto* check =
            new QCheckBox(captionKey ? text(captionKey, caption) : QString::fromUtf8(caption));
        layout->addWidget(check);
        boxes_[key] = check;
        boxValues_[key] = value;
        connect(check, &QCheckBox::clicked, this, [this] { Apply(); });
        return check;
    };
    const auto field = [&](QFormLayout* form, const char* key, const QString& caption) {
        auto* edit = new QLineEdit;
        edit->setMaximumWidth(90);
        form->addRow(caption, edit);
        fields_[key] = edit;
        connect(edit, &QLineEdit::editingFinished, this, [this, key] { CheckField(key); });
        return edit;
    };
    const auto colour = [&](QFormLayout* form, const char* key, const QString& caption) {
        auto* swatch = new QPushButton;
        swatch->setFixedSize(45, 20);
        form->addRow(caption, swatch);
        colours_[key] = swatch;
        connect(swatch, &QPushButton::clicked, this, [this, key] {
            quint32& value = edited_.*ColourFields().at(key);
            if (const auto chosen = messenger_.Dialogs().ChooseColour(value))
                value = *chosen;
            Apply();
        });
    };
    const auto group = [&](QWidget* page, const char* key, const char* caption) {
        auto* g = new QGroupBox(text(key, caption), page);
        page->layout()->addWidget(g);
        return g;
    };
    const auto page = [&](const char* key, const char* caption) {
        auto* p = new QWidget;
        new QVBoxLayout(p);
        pages_->addTab(p, text(key, caption));
        return p;
    };

    QWidget* startup = page("Tab1", "Startup/Comm.");
    auto* s1 = new QVBoxLayout(group(startup, "Label1", "Startup Option"));
    box(s1, "CheckLang", &Options::CheckLang, "Check11", "Display last selected Language");
    box(s1, "CheckInv", &Options::CheckInv, "Check12", "Display last selected Inverter");
    box(s1, "CheckPrt", &Options::CheckPrt, "Check13", "Check Printer Connection");
    box(s1, "CheckInvTyp", &Options::CheckInvTyp, "Check14", "Check Inverter Type-Form");
    auto* s2 = new QVBoxLayout(group(startup, "Label2", "Communication Options"));
    box(s2, "Eeprom", &Options::Eeprom, "Check21", "Export to EEPROM");
    box(s2, "ChgPara1", &Options::ChgPara1, "Check22", "Export 'Change' Parameters only");
    box(s2, "ComDisp", &Options::ComDisp, "Check23", "Display Communication Error");
    box(s2, "Result", &Options::Result, "Check24", "Display Communication Result");
    box(s2, "CompDisp", &Options::CompDisp, "Check25", "Display Comparison Message");
    box(s2, "ResultC", &Options::ResultC, "Check26", "Display Comparison Result");
    box(s2, "ReviewExport", &Options::ReviewExport, "Check28",
        "Review the differences before export");
    auto* snapshots = new QFormLayout;
    field(snapshots, "SnapshotKeep", text("Label23", "Snapshots kept per inverter"));
    s2->addLayout(snapshots);
    box(s2, "Mainte", &Options::Mainte, "Check27", "Use Maintenance Mode");
    for (const auto& [key, def] :
         {std::pair{"Label21", "* Using the Maintenance Mode related to the inverter control."},
          {"Label22", "  Please do not check except for the case of being required."}}) {
        auto* note = new QLabel(text(key, def));
        note->setWordWrap(true);
        s2->addWidget(note);
    }

    QWidget* files = page("Tab2", "File/Parameter");
    auto* f1 = new QVBoxLayout(group(files, "Label3", "File Options"));
    box(f1, "ChgPara2", &Options::ChgPara2, "Check31", "Save 'Change' Parameters only");
    box(f1, "SkipFile", &Options::SkipFile, "Check32", "Save Comm./Comp. Result");
    box(f1, "RegistFile", &Options::RegistFile, "Check33", "Regist VDK330Q file-type");
    auto* f2 = new QFormLayout(group(files, "Label4", "Parameter Table Options"));
    auto* enter = new QVBoxLayout;
    box(enter, "Entkey", &Options::Entkey, "Check41", "Move to Cell on Enter Key");
    f2->addRow(enter);
    field(f2, "UndoMax", text("Label41", "Times of Undo Max."));

    QWidget* monitor = page("Tab3", "Key Pad/Monitoring");
    auto* k1 = new QFormLayout(group(monitor, "Label5", "Key Pad Options"));
    field(k1, "PanelTime1", text("Label51", "LED Display Timer") + QStringLiteral(" (ms)"));
    auto* m1 = new QFormLayout(group(monitor, "Label6", "Monitoring Options"));
    const auto row = [&](const char* key, bool Options::*value, const char* captionKey,
                         const char* caption) {
        auto* holder = new QVBoxLayout;
        box(holder, key, value, captionKey, caption);
        m1->addRow(holder);
    };
    row("MonKeep", &Options::MonKeep, "CheckE", "Keep Monitor Setup");
    colour(m1, "MonBack", text("Label61", "Back Color"));
    field(m1, "MonVal", text("Label7", "Terminal Signal Level"));
    row("MonMode2", &Options::MonMode2, "Check8", "Use Free Unit");
    field(m1, "MonMode2Multi", QStringLiteral("  \u00D7"));
    row("MonMode3", &Options::MonMode3, "Check9", "Continuous Monitoring");
    field(m1, "MonMode3T",
          QStringLiteral("  ") + text("Label91", "Record Time") + QStringLiteral(" (min)"));
    field(m1, "MonMode3Smp",
          QStringLiteral("  ") + text("Label92", "Sampling Time") + QStringLiteral(" (s)"));
    row("MonMode4", &Options::MonMode4, "CheckA", "Inverter RUN/STOP contorl");
    hints_[0] = new QLabel(text("LabelA1", "RUN:[Alt]+[D]"));
    hints_[1] = new QLabel(text("LabelA2", "STOP:[Alt]+[T]"));
    m1->addRow(hints_[0], hints_[1]);
    row("MonMode5", &Options::MonMode5, "CheckB", "Display Alarm");
    row("MonMode6", &Options::MonMode6, "CheckC", "Display Trip");
    row("MonMode7", &Options::MonMode7, "CheckD", "Display Datas at Trip");

    master_ = new QWidget;
    auto* masterForm = new QFormLayout(master_);
    colour(masterForm, "MCC", QStringLiteral("Setting Value Color."));
    colour(masterForm, "MBC", QStringLiteral("Except Setting Value Color."));
    field(masterForm, "MMG", QStringLiteral("Communication Speed Margins (ms)."));
    colour(masterForm, "MWC", QStringLiteral("\"Waiting for Trigger\" Color."));
    colour(masterForm, "MTC", QStringLiteral("Time Value Color on Chart."));
    colour(masterForm, "MEC", QStringLiteral("Error Counter Color on Chart."));
    field(masterForm, "ComChkTimes", QStringLiteral("Communication Check Times."));
    auto* extras = new QVBoxLayout;
    box(extras, "MainteClear", &Options::MainteClear, nullptr,
        "Maintenance mode release at \"New\".");
    box(extras, "DispBuffer", &Options::DispBuffer, nullptr, "Display the Buffer Table.");
    masterForm->addRow(extras);

    for (const Reaction& r : Reactions())
        connect(boxes_.at(r.key), &QCheckBox::clicked, this, [this, r](bool on) {
            if (context_.*r.react)
                (context_.*r.react)(on);
        });
    connect(boxes_.at("CompDisp"), &QCheckBox::clicked, this, [this](bool on) {
        edited_.SetCompDisp(on);
        boxes_.at("ResultC")->setChecked(edited_.ResultC);
        Apply();
    });
    connect(boxes_.at("ResultC"), &QCheckBox::clicked, this, [this](bool on) {
        edited_.SetResultC(on);
        boxes_.at("CompDisp")->setChecked(edited_.CompDisp);
        Apply();
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
    pages_->tabBar()->setUsesScrollButtons(false);
    setMinimumWidth(600);
}

void OptionsDialog::showEvent(QShowEvent* event) {
    edited_ = options_;
    FromOptions();
    // The master's page is there only at the master level.
    const int index = pages_->indexOf(master_);
    if (flags_.SMainteFlag && index < 0)
        pages_->addTab(master_, QStringLiteral("Master's"));
    else if (!flags_.SMainteFlag && index >= 0)
        pages_->removeTab(index);
    QDialog::showEvent(event);
}

void OptionsDialog::FromOptions() {
    for (const auto& [key, value] : boxValues_)
        boxes_.at(key)->setChecked(edited_.*value);
    for (const auto& [key, number] : NumberFields())
        fields_.at(key)->setText(QString::number(edited_.*number.value));
    fields_.at("MonMode2Multi")->setText(MultiplierText(edited_.MonMode2Multi));
    Apply();
}

void OptionsDialog::Apply() {
    for (const auto& [key, value] : boxValues_)
        edited_.*value = boxes_.at(key)->isChecked();
    const OptionAvailability a = AvailabilityOf(edited_, context_.hasFc91, context_.hasFc90,
                                                flags_.MainteFlag || flags_.SMainteFlag);
    boxes_.at("MonMode5")->setEnabled(a.alarm);
    boxes_.at("MonMode6")->setEnabled(a.trip);
    boxes_.at("MonMode7")->setEnabled(a.tripData);
    boxes_.at("SkipFile")->setEnabled(a.saveResult);
    boxes_.at("MonMode4")->setEnabled(a.runStop && context_.hasKeys);
    for (QLabel* hint : hints_)
        hint->setVisible(a.runStopHints && context_.hasKeys);
    fields_.at("MonMode2Multi")->setEnabled(a.multiplier);
    fields_.at("MonMode3T")->setEnabled(a.continuousFields);
    fields_.at("MonMode3Smp")->setEnabled(a.continuousFields);
    for (const auto& [key, value] : ColourFields())
        colours_.at(key)->setStyleSheet(
            QStringLiteral("background-color: %1; border: 1px solid gray;")
                .arg(ColourOf(edited_.*value).name()));
}

bool OptionsDialog::CheckField(const char* key) {
    QLineEdit* edit = fields_.at(key);
    int message = 0;
    if (std::string(key) == "MonMode2Multi") {
        const MultiplierCheck c = CheckMultiplier(edit->text());
        message = c.message;
        if (message != 68) {
            edited_.MonMode2Multi = c.stored;
            edit->setText(MultiplierText(c.stored));
        }
    } else {
        const NumberField& f = NumberFields().at(key);
        const FieldCheck c = CheckNumberField(edit->text(), f.range.low, f.range.high);
        message = c.Message();
        if (message != 68) {
            edited_.*f.value = c.value;
            edit->setText(QString::number(c.value));
        }
    }
    if (message == 0)
        return true;
    messenger_.Show(message, MsgIcon::Stop);
    for (int i = 0; i < pages_->count(); ++i)
        if (pages_->widget(i)->isAncestorOf(edit))
            pages_->setCurrentIndex(i);
    edit->setFocus();
    return false;
}

const QList<OptionsDialog::Reaction>& OptionsDialog::Reactions() {
    static const QList<Reaction> reactions{
        {"Mainte", &Options::Mainte, &Context::useMaintenance},
        {"RegistFile", &Options::RegistFile, &Context::registerFileType},
        {"DispBuffer", &Options::DispBuffer, &Context::showBufferTable}};
    return reactions;
}

// Cancel and the close box keep the options as they were: a reaction
// already applied for a box the user changed is applied back.
void OptionsDialog::reject() {
    for (const Reaction& r : Reactions())
        if (boxes_.at(r.key)->isChecked() != options_.*r.option && context_.*r.react)
            (context_.*r.react)(options_.*r.option);
    QDialog::reject();
}

void OptionsDialog::accept() {
    for (const auto& [key, edit] : fields_)
        if (edit->isEnabled() && !CheckField(key.c_str()))
            return; // the window stays open until every field is acceptable
    Apply();
    options_ = edited_;
    options_.Save(settings_, flags_.MainteFlag);
    QDialog::accept();
}

} // namespace vdk
