#include "data/FieldSplitter.h"

namespace vdk {

QStringList SplitFields(QStringView line, QChar pairedQuote) {
    QStringList fields;
    ForEachField(
        line, [&](QStringView field) { fields.append(field.toString()); }, pairedQuote);
    return fields;
}

} // namespace vdk
