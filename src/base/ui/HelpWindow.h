#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace vdk {

// A help page in a window of its own, kept for the next request: each call
// shows the page (and the anchor the URL names) and brings the window up.
class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    HelpWindow(QWidget* parent, QSize size);
    void Show(const QUrl& page);

private:
    QTextBrowser* browser_;
};

} // namespace vdk
