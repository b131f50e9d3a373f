#include "gui/addressbooks/sourcetext.h"

#include "gui/services/services.h"

#include <QLabel>
#include <QLocale>

namespace cw {

QString kindText(addressbook::SourceKind kind) {
    return kind == addressbook::SourceKind::Folder ? QStringLiteral("Folder") : QStringLiteral("CardDAV");
}

QString lastSyncText(const addressbook::SourceInfo& source, const QDateTime& now) {
    if (!source.lastError.isEmpty())
        return source.lastError;
    if (!source.lastSync.isValid())
        return QStringLiteral("Not synced yet");
    const QLocale locale;
    const QDateTime at = source.lastSync.toLocalTime();
    const qint64 daysAgo = at.date().daysTo(now.date());
    const QString day = daysAgo == 0   ? QStringLiteral("Today")
                        : daysAgo == 1 ? QStringLiteral("Yesterday")
                                       : locale.toString(at.date(), QLocale::ShortFormat);
    return QStringLiteral("%1 at %2").arg(day, locale.toString(at.time(), QLocale::ShortFormat));
}

QString syncingText(int done, int total) {
    if (total <= 0)
        return QStringLiteral("Syncing…");
    return QStringLiteral("Syncing: %1 of %2 contacts").arg(done).arg(total);
}

void showProblem(const QString& text, const QString& caption) {
    services().messages().show(text, caption, MessageIcon::Exclamation, MessageButtons::Ok);
}

void showText(QLabel* label, const QString& text) {
    label->setText(text);
    label->setAccessibleDescription(text);
}

} // namespace cw
