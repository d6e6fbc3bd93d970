#pragma once

#include "transfer/ResultReport.h"

#include <QDateTime>
#include <QDialog>

class QPlainTextEdit;
class QPrinter;
class QPushButton;

namespace vdk {

class LanguageTexts;
class UserDialogs;

// The result report window: the report's lines as editable text, with Print,
// Save and Copy. Save and Print take the text as the user left it.
class ReportWindow final : public QDialog {
    Q_OBJECT
public:
    struct Context {
        QString appDir;        // where saves go
        QString documentsDir;  // when AppDir cannot be written to
        bool autoSave = false; // "Save Comm./Comp. Result", available and on
        bool printEnabled = true;
        QString inverter; // type-form, capacity and CPU version, for the printed heading
    };

    ReportWindow(const ResultReport& report, const LanguageTexts& texts, UserDialogs& dialogs,
                 Context context, QWidget* parent = nullptr);

    QPlainTextEdit* List() const { return list_; }
    QPushButton* PrintButton() const { return print_; }
    QStringList Lines() const;
    // The "Save" button: the automatic name when the option is on (not for
    // inverter information), else a save dialog. The path written, or empty.
    QString Save();
    // The "Print" button: the print dialog, or a PDF file when no printer exists.
    void Print();
    // The printed page's heading: the title, then the inverter, the
    // operation and the time of the report.
    QStringList PrintHeading() const;

private:
    void ReportFailure(const QString& path, const QString& error);

    int mode_;
    const LanguageTexts& texts_;
    UserDialogs& dialogs_;
    Context context_;
    QString title_;
    QDateTime made_ = QDateTime::currentDateTime();
    QPlainTextEdit* list_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* save_ = nullptr;
};

// Prints report lines as one document under `heading` (its first line in
// bold), in a fixed-pitch font.
void PrintReport(QPrinter& printer, const QStringList& heading, const QStringList& lines);

} // namespace vdk
