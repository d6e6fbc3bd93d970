#include "printing/ui/PrintableReport.h"

#include "printing/PageSetup.h"
#include "settings/FileWriter.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

namespace vdk {

bool JapaneseText(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; });
}

QFont PrintFont(const QString& family, const QString& size, bool japanese) {
    const PageFieldCheck points = CheckFontSize(size);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (!family.isEmpty() && QFontDatabase::hasFamily(family))
        font.setFamily(family);
    if (japanese &&
        !QFontDatabase::writingSystems(font.family()).contains(QFontDatabase::Japanese)) {
        const QStringList fonts = QFontDatabase::families(QFontDatabase::Japanese);
        const auto sans = std::find_if(fonts.begin(), fonts.end(), [](const QString& f) {
            return f.contains(QLatin1String("Sans")) || f.contains(QLatin1String("Gothic"));
        });
        if (sans != fonts.end() || !fonts.isEmpty())
            font.setFamily(sans != fonts.end() ? *sans : fonts.first());
    }
    font.setPixelSize(points.Valid() ? points.shown.toInt() : 8);
    return font;
}

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
