#include "data/FieldSplitter.h"

namespace vdk {

QStringList SplitFields(QStringView line, QChar pairedQuote) {
    QStringList fields;
    ForEachField(
        line, [&](QString&& field) { fields.append(std::move(field)); }, pairedQuote);
    return fields;
}

} // namespace vdk
