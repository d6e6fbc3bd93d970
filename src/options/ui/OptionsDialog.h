#pragma once

#include "options/EnvironmentOptions.h"

#include <QDialog>
#include <functional>
#include <map>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vdk {

class IniFile;
class LanguageTexts;
class Messenger;
struct ProgramFlags;

// The "Environment Options" window: renders the options object, applies its
// availability rules while the user ticks, checks the number fields, and
// writes the options when it closes.
class OptionsDialog final : public QDialog {
    Q_OBJECT
public:
    struct Context {
        bool hasFc91 = false;
        bool hasFc90 = false;
        // "Use Maintenance Mode" ticked or unticked: the inverter access.
        std::function<void(bool)> useMaintenance;
        // "Regist VDK330Q file-type" ticked or unticked.
        std::function<void(bool)> registerFileType;
        // "Display the Buffer Table." ticked or unticked.
        std::function<void(bool)> showBufferTable;
        // The type defines the key words (FA10, FA11) the run and stop keys write.
        bool hasKeys = true;
    };

    OptionsDialog(EnvironmentOptions& options, IniFile& settings, const LanguageTexts& texts,
                  Messenger& messenger, ProgramFlags& flags, Context context,
                  QWidget* parent = nullptr);

    void accept() override;
    void reject() override;
    QCheckBox* Box(const char* key) const { return boxes_.at(key); }
    QLineEdit* Field(const char* key) const { return fields_.at(key); }
    QTabWidget* Pages() const { return pages_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The boxes whose change acts at once, and how.
    struct Reaction {
        const char* key;
        bool EnvironmentOptions::*option;
        std::function<void(bool)> Context::*react;
    };
    static const QList<Reaction>& Reactions();
    void FromOptions();
    void Apply(); // availability, from the boxes as they are ticked now
    // Checks one number field; false (with its message) when it is not acceptable.
    bool CheckField(const char* key);

    EnvironmentOptions& options_;
    EnvironmentOptions edited_;
    IniFile& settings_;
    Messenger& messenger_;
    ProgramFlags& flags_;
    Context context_;
    QTabWidget* pages_ = nullptr;
    QWidget* master_ = nullptr;
    std::map<std::string, QCheckBox*> boxes_;
    std::map<std::string, bool EnvironmentOptions::*> boxValues_;
    std::map<std::string, QLineEdit*> fields_;
    std::map<std::string, QPushButton*> colours_;
    QLabel* hints_[2] = {nullptr, nullptr};
};

} // namespace vdk
