#pragma once

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class QPushButton;

namespace vdk {

class Messenger;
class PrintableReport;

// "Preview and Print": the report's pages as they will be printed, with the
// scale, page navigation and "Print". Printing paints the same pages in one
// pass; with no printer installed it goes to a PDF file.
class PrintPreviewWindow final : public QDialog {
    Q_OBJECT
public:
    PrintPreviewWindow(const PrintableReport& report, Messenger& messenger,
                       const QString& pdfFolder, QWidget* parent = nullptr);
    ~PrintPreviewWindow() override;

    QPrintPreviewWidget* Preview() const { return preview_; }
    QPushButton* PrintButton() const { return print_; }

private:
    QString Text(const char* key, const char* def) const;
    void Paint(QPrinter* printer);
    void ShowPage();
    void Print();

    const PrintableReport& report_;
    Messenger& messenger_;
    QString pdfFolder_;
    std::unique_ptr<QPrinter> printer_;
    QPrintPreviewWidget* preview_ = nullptr;
    QComboBox* scale_ = nullptr;
    QLabel* page_ = nullptr;
    QPushButton* print_ = nullptr;
};

} // namespace vdk
