#include "comm/SerialSetup.h"

#include "settings/MessageIds.h"

#include <QFileInfo>
#include <algorithm>

namespace vdk {

namespace {} // namespace

const QStringList& SerialSetup::BaudItems() {
    static const QStringList items{QStringLiteral("   1,200"), QStringLiteral("   2,400"),
                                   QStringLiteral("   4,800"), QStringLiteral("   9,600"),
                                   QStringLiteral(" 19,200"),  QStringLiteral(" 38,400")};
    return items;
}

SerialSetup::SerialSetup(QStringList parityItems) : parityItems_(std::move(parityItems)) {}

SerialSetup::Range SerialSetup::RangeOf(Field field) {
    return field == IdField ? Range{0, CommSettings::kMaxId, true}
                            : Range{CommSettings::kMinDelay, CommSettings::kMaxDelay, false};
}

void SerialSetup::Load(const CommSettings& settings, const QStringList& systemPorts) {
    loaded_ = settings;
    systemPorts_ = systemPorts;
    ports_ = systemPorts;
    const QString& remembered = settings.port.portName;
    if (!remembered.isEmpty() && !ports_.contains(remembered))
        ports_.append(remembered);
    protocol_ = settings.protocol;
    douhou_ = settings.douhou;
    appendNo_ = settings.appendNo && !douhou_;
    texts_[IdField] = QString::number(settings.id);
    texts_[DelayField] = QString::number(settings.delay);
    // An index beyond the system's list falls back to its first device.
    texts_[PortField] = remembered.isEmpty()
                            ? systemPorts.value(settings.port.portIndex, systemPorts.value(0))
                            : remembered;
    texts_[BaudField] = BaudItems().value(settings.port.baudIndex);
    texts_[ParityField] = parityItems_.value(settings.port.parityIndex);
    failed_ = false;
}

int SerialSetup::NumberOr(Field field, int fallback) const {
    const Range r = RangeOf(field);
    const FieldCheck c = CheckNumberField(texts_[field], r.low, r.high);
    return c.result == FieldCheck::NotANumber ? fallback : c.value;
}

int SerialSetup::IndexOr(Field field, int fallback) const {
    return CheckListField(texts_[field], Items(field)).value_or(fallback);
}

CommSettings SerialSetup::Settings() const {
    CommSettings c = loaded_; // stop bits and byte size are changed in the file only
    c.protocol = protocol_;
    c.appendNo = appendNo_;
    c.douhou = douhou_;
    c.id = NumberOr(IdField, loaded_.id);
    c.delay = NumberOr(DelayField, loaded_.delay);
    c.port.baudIndex = IndexOr(BaudField, loaded_.port.baudIndex);
    c.port.parityIndex = IndexOr(ParityField, loaded_.port.parityIndex);
    const QString port = texts_[PortField].trimmed();
    if (!port.isEmpty()) {
        // The index keeps its meaning as an entry of the system's list; a
        // device the list does not hold is found by its name alone.
        c.port.portName = port;
        const int listed = int(systemPorts_.indexOf(port));
        if (listed >= 0)
            c.port.portIndex = listed;
    }
    return c;
}

void SerialSetup::SetAppendNo(bool on) {
    appendNo_ = on;
    if (on)
        douhou_ = false;
}

void SerialSetup::SetDouhou(bool on) {
    douhou_ = on;
    if (on)
        appendNo_ = false;
}

QStringList SerialSetup::Items(Field field) const {
    switch (field) {
    case PortField:
        return ports_;
    case BaudField:
        return BaudItems();
    case ParityField:
        return parityItems_;
    default:
        return {};
    }
}

void SerialSetup::Step(Field field, int steps) {
    const Range r = RangeOf(field);
    const int value = NumberOr(field, r.low) + steps;
    const int span = r.high - r.low + 1;
    texts_[field] = QString::number(r.wraps ? r.low + ((value - r.low) % span + span) % span
                                            : std::clamp(value, r.low, r.high));
}

SerialSetup::Problem SerialSetup::Check(Field field) {
    int message = 0;
    if (field == IdField || field == DelayField) {
        const Range r = RangeOf(field);
        const FieldCheck c = CheckNumberField(texts_[field], r.low, r.high);
        if (c.result != FieldCheck::NotANumber)
            texts_[field] = QString::number(c.value);
        message = c.Message();
    } else if (const auto index = CheckListField(texts_[field], Items(field))) {
        texts_[field] = Items(field)[*index];
    } else {
        const QString typed = texts_[field].trimmed();
        if (field == PortField && !typed.isEmpty() && QFileInfo::exists(typed))
            texts_[field] = typed;
        else
            message = kMsgDataError;
    }
    if (message != 0)
        failed_ = true;
    return {message, field};
}

SerialSetup::Verdict SerialSetup::TryClose() {
    Verdict verdict;
    for (int f = 0; f < FieldCount && !verdict.problem; ++f)
        // A disabled number field is not in use; its text cannot hold the
        // dialog open where the user cannot reach it.
        if (f != IdField || appendNo_)
            verdict.problem = Check(Field(f));
    verdict.mayClose = !failed_;
    failed_ = false;
    return verdict;
}

} // namespace vdk
