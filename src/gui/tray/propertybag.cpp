#include "gui/tray/propertybag.h"

namespace cw {

namespace {
QString keyOf(const QString& name) {
    return name.toCaseFolded();
}
} // namespace

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const {
    const auto found = entries_.constFind(keyOf(name));
    return found == entries_.constEnd() ? defaultValue : found->value;
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value) {
    Entry& entry = entries_[keyOf(name)];
    if (entry.name.isEmpty())
        entry.name = name;
    entry.value = value;
}

QStringList PropertyBag::names() const {
    QStringList result;
    for (const Entry& entry : entries_)
        result.append(entry.name);
    result.sort(Qt::CaseInsensitive);
    return result;
}

} // namespace cw
