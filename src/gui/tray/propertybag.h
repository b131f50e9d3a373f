#pragma once
// The host's store for a control's persisted properties. Names are matched without regard to case;
// the name as first written is kept for listing.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace cw {

class PropertyBag {
  public:
    // The stored value, or the default when the name is missing.
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = QVariant()) const;
    void WriteProperty(const QString& name, const QVariant& value);
    QStringList names() const;

  private:
    struct Entry {
        QString name;
        QVariant value;
    };
    QHash<QString, Entry> entries_;
};

} // namespace cw
