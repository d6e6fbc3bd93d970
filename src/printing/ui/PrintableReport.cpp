#include "printing/ui/PrintableReport.h"

#include "settings/FileWriter.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

namespace vdk {

void PrintableReport::PrintTo(QPagedPaintDevice& device, int dotsPerInch) const {
    QPainter painter(&device);
    for (int page = 0; page < PageCount(); ++page) {
        if (page > 0)
            device.newPage();
        Paint(painter, page, dotsPerInch);
    }
}

bool PrintableReport::WritePdf(const QString& path, QString* error) const {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(Layout());
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("VDK330Q"));
        PrintTo(writer, writer.resolution());
    }
    return WriteFileAtomically(path, buffer.data(), error);
}

} // namespace vdk
