#pragma once

#include "comm/SerialSetup.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace vdk {

class CommLink;
class IniFile;
class LanguageTexts;
class Messenger;
class UpDownField;

// The RS-232C setup dialog. It renders a SerialSetup and forwards every change
// to it; closing it puts the form's settings into the link, writes [Comms]
// and reopens the port.
class SerialSetupDialog final : public QDialog {
    Q_OBJECT
public:
    // The serial devices the port box offers; asked again at every showing.
    using PortLister = std::function<QStringList()>;

    SerialSetupDialog(CommLink& link, IniFile& settings, const LanguageTexts& texts,
                      Messenger& messenger, QWidget* parent = nullptr,
                      PortLister ports = DefaultPorts());

    static PortLister DefaultPorts();

    // Reads [Comms] into the link and the controls (at creation, on Cancel,
    // and after New when the last inverter is not kept).
    void LoadCommSettings();

    // Cancel and Escape: back to the file's settings, then closing as usual.
    void reject() override;
    // OK: closing as usual, and the shared error flag is cleared.
    void accept() override;

    QWidget* FieldWidget(SerialSetup::Field field) const;
    QCheckBox* SetNumberBox() const { return appendNo_; }
    QCheckBox* BroadcastBox() const { return douhou_; }
    QRadioButton* ProtocolButton(Protocol protocol) const;
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

Q_SIGNALS:
    // The dialog became the active window.
    void Activated();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The close box closes like OK but leaves the error flag alone.
    void closeEvent(QCloseEvent* event) override;

private:
    void Build(const LanguageTexts& texts);
    void Render();
    void CheckField(SerialSetup::Field field);
    void Report(const SerialSetup::Problem& problem);
    // Checks everything; true when the dialog may close and the settings
    // were taken over.
    bool Closing();
    void Apply(const CommSettings& settings);

    CommLink& link_;
    IniFile& ini_;
    Messenger& messenger_;
    PortLister ports_;
    SerialSetup form_;

    QRadioButton* inverterProtocol_ = nullptr;
    QRadioButton* modbusProtocol_ = nullptr;
    QCheckBox* appendNo_ = nullptr;
    QCheckBox* douhou_ = nullptr;
    UpDownField* id_ = nullptr;
    QComboBox* port_ = nullptr;
    UpDownField* delay_ = nullptr;
    QComboBox* baud_ = nullptr;
    QComboBox* parity_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace vdk
