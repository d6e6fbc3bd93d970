#include "comm/ui/SerialSetupDialog.h"

#include "comm/CommLink.h"
#include "comm/QtSerialPort.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyleOptionSpinBox>

namespace vdk {

// A number field with an up-down whose text is free: the form decides what
// the steps do and what the text must be.
class UpDownField final : public QAbstractSpinBox {
public:
    UpDownField(std::function<void(int)> step, std::function<void(const QString&)> edited,
                QWidget* parent)
        : QAbstractSpinBox(parent), step_(std::move(step)) {
        connect(lineEdit(), &QLineEdit::textEdited, this, std::move(edited));
        setAccelerated(true);
    }
    void SetText(const QString& text) {
        if (lineEdit()->text() != text)
            lineEdit()->setText(text);
    }
    void stepBy(int steps) override { step_(steps); }
    QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }
    void fixup(QString&) const override {}
    // Room for the longest number, as a spin box over 30..5000 would have.
    QSize sizeHint() const override {
        ensurePolished();
        QStyleOptionSpinBox option;
        initStyleOption(&option);
        const QSize text(fontMetrics().horizontalAdvance(QStringLiteral("00000 ")) + 2,
                         lineEdit()->sizeHint().height());
        return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    std::function<void(int)> step_;
};

namespace {
const QString kSection = QStringLiteral("RS232C");
} // namespace

SerialSetupDialog::SerialSetupDialog(CommLink& link, IniFile& settings, const LanguageTexts& texts,
                                     Messenger& messenger, QWidget* parent, PortLister ports)
    : QDialog(parent), link_(link), ini_(settings), messenger_(messenger), ports_(std::move(ports)),
      form_({texts.LangText(kSection, QStringLiteral("ParityItems1"), QStringLiteral("Non")),
             texts.LangText(kSection, QStringLiteral("ParityItems2"), QStringLiteral("Even")),
             texts.LangText(kSection, QStringLiteral("ParityItems3"), QStringLiteral("Odd"))}) {
    Build(texts);
    LoadCommSettings();
}

SerialSetupDialog::PortLister SerialSetupDialog::DefaultPorts() {
    return &QtSerialPort::AvailablePorts;
}

void SerialSetupDialog::Build(const LanguageTexts& texts) {
    const auto text = [&](const char* key, const char* def) {
        return texts.LangText(kSection, QLatin1String(key), QLatin1String(def));
    };
    setWindowTitle(text("Form", "RS-232C Setup"));

    auto* protocolBox = new QGroupBox(text("Label5", "Protocol"));
    inverterProtocol_ = new QRadioButton(text("ProtocolItems1", "KESTRAN Inverter"));
    modbusProtocol_ = new QRadioButton(text("ProtocolItems2", "MODBUS-RTU"));
    auto* protocolLayout = new QHBoxLayout(protocolBox);
    protocolLayout->addWidget(inverterProtocol_);
    protocolLayout->addWidget(modbusProtocol_);
    protocolLayout->addStretch();
    for (QRadioButton* button : {inverterProtocol_, modbusProtocol_})
        connect(button, &QRadioButton::toggled, this, [this] {
            form_.SetProtocol(modbusProtocol_->isChecked() ? Protocol::Modbus : Protocol::Inverter);
        });

    const auto upDown = [this](SerialSetup::Field field) {
        return new UpDownField(
            [this, field](int steps) {
                form_.Step(field, steps);
                Render();
            },
            [this, field](const QString& typed) { form_.SetText(field, typed); }, this);
    };

    auto* numberBox = new QGroupBox(text("Label1", "Inverter number"));
    appendNo_ = new QCheckBox(text("Check11", "Set number"));
    douhou_ = new QCheckBox(text("Check12", "Broadcast"));
    id_ = upDown(SerialSetup::IdField);
    auto* numberLayout = new QHBoxLayout(numberBox);
    numberLayout->addWidget(appendNo_);
    numberLayout->addWidget(douhou_);
    numberLayout->addStretch();
    numberLayout->addWidget(id_);
    connect(appendNo_, &QCheckBox::toggled, this, [this](bool on) {
        form_.SetAppendNo(on);
        Render();
    });
    connect(douhou_, &QCheckBox::toggled, this, [this](bool on) {
        form_.SetDouhou(on);
        Render();
    });

    auto* portBox = new QGroupBox(text("Label2", "Serial port"));
    port_ = new QComboBox;
    port_->setEditable(true);
    port_->setInsertPolicy(QComboBox::NoInsert);
    port_->setMinimumContentsLength(14);
    port_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    (new QHBoxLayout(portBox))->addWidget(port_);
    connect(port_->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& typed) { form_.SetText(SerialSetup::PortField, typed); });
    connect(port_, &QComboBox::activated, this, [this](int index) {
        form_.Select(SerialSetup::PortField, index);
        Render();
    });

    auto* timeoutBox = new QGroupBox(text("Label3", "Time out"));
    delay_ = upDown(SerialSetup::DelayField);
    auto* timeoutLayout = new QHBoxLayout(timeoutBox);
    timeoutLayout->addWidget(delay_);
    timeoutLayout->addWidget(new QLabel(QStringLiteral("(ms)")));
    timeoutLayout->addStretch();

    auto* commBox = new QGroupBox(text("Label4", "Communication setting"));
    baud_ = new QComboBox;
    baud_->addItems(SerialSetup::BaudItems());
    parity_ = new QComboBox;
    parity_->addItems(form_.Items(SerialSetup::ParityField));
    auto* commLayout = new QGridLayout(commBox);
    commLayout->addWidget(new QLabel(text("Label41", "Baud rate")), 0, 0);
    commLayout->addWidget(baud_, 0, 1);
    commLayout->addWidget(new QLabel(QStringLiteral("(bps)")), 0, 2);
    commLayout->addWidget(new QLabel(text("Label42", "Parity")), 1, 0);
    commLayout->addWidget(parity_, 1, 1);
    commLayout->setColumnStretch(3, 1);
    for (QComboBox* box : {baud_, parity_})
        box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const std::pair<QComboBox*, SerialSetup::Field> lists[] = {{baud_, SerialSetup::BaudField},
                                                               {parity_, SerialSetup::ParityField}};
    for (const auto& [box, field] : lists)
        connect(box, &QComboBox::activated, this, [this, field = field](int index) {
            form_.Select(field, index);
            Render();
        });

    auto* buttons = new QDialogButtonBox;
    ok_ = buttons->addButton(text("Button1", "OK"), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(text("Button2", "Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &SerialSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SerialSetupDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(protocolBox, 0, 0, 1, 2);
    layout->addWidget(numberBox, 1, 0, 1, 2);
    layout->addWidget(portBox, 2, 0);
    layout->addWidget(timeoutBox, 2, 1);
    layout->addWidget(commBox, 3, 0, 1, 2);
    layout->addWidget(buttons, 4, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (QWidget* field :
         {static_cast<QWidget*>(id_), static_cast<QWidget*>(port_), static_cast<QWidget*>(delay_)})
        field->installEventFilter(this);
}

QWidget* SerialSetupDialog::FieldWidget(SerialSetup::Field field) const {
    switch (field) {
    case SerialSetup::IdField:
        return id_;
    case SerialSetup::PortField:
        return port_;
    case SerialSetup::DelayField:
        return delay_;
    case SerialSetup::BaudField:
        return baud_;
    default:
        return parity_;
    }
}

QRadioButton* SerialSetupDialog::ProtocolButton(Protocol protocol) const {
    return protocol == Protocol::Modbus ? modbusProtocol_ : inverterProtocol_;
}

void SerialSetupDialog::Render() {
    const QSignalBlocker blockInverter(inverterProtocol_), blockModbus(modbusProtocol_),
        blockAppendNo(appendNo_), blockDouhou(douhou_), blockPort(port_);
    ProtocolButton(form_.CurrentProtocol())->setChecked(true);
    appendNo_->setChecked(form_.AppendNo());
    douhou_->setChecked(form_.Douhou());
    id_->setEnabled(form_.NumberEnabled());
    id_->SetText(form_.Text(SerialSetup::IdField));
    delay_->SetText(form_.Text(SerialSetup::DelayField));
    const QStringList ports = form_.Items(SerialSetup::PortField);
    QStringList shown;
    for (int i = 0; i < port_->count(); ++i)
        shown.append(port_->itemText(i));
    if (shown != ports) {
        port_->clear();
        port_->addItems(ports);
    }
    if (port_->currentText() != form_.Text(SerialSetup::PortField))
        port_->setEditText(form_.Text(SerialSetup::PortField));
    baud_->setCurrentIndex(form_.Index(SerialSetup::BaudField));
    parity_->setCurrentIndex(form_.Index(SerialSetup::ParityField));
}

void SerialSetupDialog::LoadCommSettings() {
    link_.settings = vdk::LoadCommSettings(ini_);
    form_.Load(link_.settings, ports_());
    Render();
}

bool SerialSetupDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        Q_EMIT Activated();
    return QDialog::event(event);
}

bool SerialSetupDialog::eventFilter(QObject* watched, QEvent* event) {
    const SerialSetup::Field field = watched == id_     ? SerialSetup::IdField
                                     : watched == port_ ? SerialSetup::PortField
                                                        : SerialSetup::DelayField;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CheckField(field);
            return true; // Enter checks the field; it does not press OK
        }
    } else if (event->type() == QEvent::FocusOut) {
        // Leaving for another window, the port list or Cancel is not leaving
        // the field: a check then would pop up a box or keep Cancel from working.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (isVisible() && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason && QApplication::focusWidget() != cancel_)
            CheckField(field);
    }
    return QDialog::eventFilter(watched, event);
}

void SerialSetupDialog::CheckField(SerialSetup::Field field) {
    const SerialSetup::Problem problem = form_.Check(field);
    Render();
    if (problem)
        Report(problem);
}

void SerialSetupDialog::Report(const SerialSetup::Problem& problem) {
    messenger_.Show(problem.message, MsgIcon::Stop);
    QWidget* field = FieldWidget(problem.field);
    field->setFocus();
    if (auto* edit = field->findChild<QLineEdit*>())
        edit->selectAll();
}

void SerialSetupDialog::showEvent(QShowEvent* event) {
    // The device list may have changed since the last showing. A window the
    // system shows again (restored from an icon) keeps what the user typed.
    if (!event->spontaneous()) {
        form_.Load(link_.settings, ports_());
        Render();
        ok_->setFocus();
    }
    QDialog::showEvent(event);
}

bool SerialSetupDialog::Closing() {
    const SerialSetup::Verdict verdict = form_.TryClose();
    Render();
    if (verdict.problem)
        Report(verdict.problem);
    if (!verdict.mayClose)
        return false;
    Apply(form_.Settings());
    return true;
}

void SerialSetupDialog::Apply(const CommSettings& settings) {
    link_.settings = settings;
    if (!SaveCommSettings(ini_, settings))
        messenger_.ShowText(kMsgCannotWrite,
                            messenger_.Text(kMsgCannotWrite) + QLatin1Char('\n') + ini_.Path() +
                                QLatin1Char('\n') + ini_.ErrorString(),
                            MsgIcon::Stop);
    link_.OpenPort();
}

void SerialSetupDialog::accept() {
    if (!Closing())
        return;
    link_.ClearError();
    QDialog::accept();
}

void SerialSetupDialog::reject() {
    LoadCommSettings();
    Apply(link_.settings);
    QDialog::reject();
}

void SerialSetupDialog::closeEvent(QCloseEvent* event) {
    if (Closing())
        QDialog::done(Rejected);
    else
        event->ignore();
}

} // namespace vdk
