#include "data/Numbers.h"

#include <limits>

namespace vdk {

std::optional<qint64> ParseWholeNumber(QStringView text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].isSpace())
        ++begin;
    while (end > begin && text[end - 1].isSpace())
        --end;
    bool negative = false;
    if (begin < end && (text[begin] == u'-' || text[begin] == u'+'))
        negative = text[begin++] == u'-';
    // Up to 18 digits cannot overflow; longer texts are checked once at the end.
    if (begin == end || end - begin > 19)
        return std::nullopt;
    quint64 value = 0;
    for (qsizetype i = begin; i < end; ++i) {
        const char16_t u = text[i].unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        value = value * 10 + (u - u'0');
    }
    constexpr quint64 kMaxMagnitude = quint64(std::numeric_limits<qint64>::max());
    if (value > kMaxMagnitude + (negative ? 1 : 0))
        return std::nullopt;
    return negative ? qint64(0 - value) : qint64(value);
}

} // namespace vdk
