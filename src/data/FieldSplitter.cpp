#include "data/FieldSplitter.h"

namespace vdk {

QStringList SplitFields(QStringView line) {
    QStringList fields;
    ForEachField(line, [&](QString&& field) { fields.append(std::move(field)); });
    return fields;
}

} // namespace vdk
