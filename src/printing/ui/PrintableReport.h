#pragma once

#include <QPageLayout>
#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace vdk {

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
