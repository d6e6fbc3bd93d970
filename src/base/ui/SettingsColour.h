#pragma once

#include <QColor>

namespace vdk {

// Colours are stored in the settings as integers with blue in the high byte.
inline QColor ColourOf(quint32 settings) {
    return QColor(int(settings & 0xFF), int(settings >> 8 & 0xFF), int(settings >> 16 & 0xFF));
}

inline quint32 SettingsColourOf(const QColor& colour) {
    return quint32(colour.red()) | quint32(colour.green()) << 8 | quint32(colour.blue()) << 16;
}

} // namespace vdk
