#include "base/ui/HelpWindow.h"

#include <QTextBrowser>
#include <QVBoxLayout>

namespace vdk {

HelpWindow::HelpWindow(QWidget* parent, QSize size)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
    browser_->setObjectName(QStringLiteral("help"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(size);
}

void HelpWindow::Show(const QUrl& page) {
    browser_->setSource(page);
    setWindowTitle(browser_->documentTitle());
    show();
    raise();
}

} // namespace vdk
