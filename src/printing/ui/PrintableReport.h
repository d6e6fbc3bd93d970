#pragma once

#include <QFont>
#include <QPageLayout>
#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace vdk {

// The font of a report: the family the page setup names when it is
// installed, else the default sans serif; Japanese text takes a Japanese
// font when the family has none, so its glyphs share one baseline with the
// digits. Reports paint in points, so the size is given in their units; a
// size that does not check takes 8.
QFont PrintFont(const QString& family, const QString& size, bool japanese);
// Whether a text holds Japanese characters.
bool JapaneseText(const QString& text);

// A report laid out once for its page and painted page by page onto any
// paint device, so the preview, the printer and a PDF file show the same
// pages.
class PrintableReport {
public:
    virtual ~PrintableReport() = default;
    virtual const QPageLayout& Layout() const = 0;
    virtual int PageCount() const = 0;
    // Paints page `page` (from 0) onto a painter whose device shows the
    // layout's paint rectangle at `dotsPerInch`.
    virtual void Paint(QPainter& painter, int page, int dotsPerInch) const = 0;
    // All pages in one pass onto a printer or a PDF writer.
    void PrintTo(QPagedPaintDevice& device, int dotsPerInch) const;
    // All pages into a PDF file, written whole or not at all.
    bool WritePdf(const QString& path, QString* error) const;
};

} // namespace vdk
