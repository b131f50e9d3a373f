#include "gui/addressbooks/failingbooks.h"

#include "core/apperror.h"
#include "gui/services/datafolder.h"
#include "gui/services/services.h"
#include "platform/notifier.h"
#include "platform/settings.h"
#include "store/sources.h"

#include <QCollator>

#include <algorithm>
#include <optional>
#include <utility>

namespace cw {

void FailingBooks::failed(qint64 sourceId, const QString& name, const QString& error) {
    books_.insert(sourceId, {name, error});
    follow();
}

void FailingBooks::cleared(qint64 sourceId) {
    if (books_.remove(sourceId))
        follow();
}

void FailingBooks::followSources() {
    for (auto book = books_.begin(); book != books_.end();) {
        std::optional<addressbook::SourceInfo> source;
        try {
            source = addressbook::findSource(sharedConnection(), book.key());
        } catch (const AppError&) {
            ++book; // unreadable now: kept until a later look
            continue;
        }
        if (!source) {
            book = books_.erase(book);
            continue;
        }
        book->name = source->displayName;
        ++book;
    }
    follow();
}

QString FailingBooks::summary() const {
    if (books_.isEmpty())
        return {};
    if (books_.size() == 1)
        return QStringLiteral("%1 could not be synced.").arg(books_.first().name);
    return QStringLiteral("%1 address books could not be synced.").arg(books_.size());
}

// One book gets its error and what becomes of its rows; more books get their names, A to Z. The
// notice is posted only when its words change.
void FailingBooks::follow() {
    if (books_.isEmpty()) {
        if (!std::exchange(posted_, {}).isEmpty())
            services().syncNotices().withdraw(); // nothing left to say
        return;
    }
    if (readOnOff(SettingKey::DesktopNotifications) != 1)
        return;
    Notice notice{QStringLiteral("Address book not synced"),
                  {},
                  QStringLiteral("candlewise"),
                  QStringLiteral("candlewise"),
                  {}};
    if (books_.size() == 1) {
        const Book& book = books_.first();
        notice.body = QStringLiteral("%1: %2\nThe birthdays of its last sync stay in the list.")
                          .arg(book.name, book.error);
    } else {
        QStringList names;
        for (const Book& book : books_)
            names << book.name;
        QCollator order;
        std::sort(names.begin(), names.end(), order);
        notice.summary = QStringLiteral("Address books not synced");
        notice.body = QStringLiteral("%1 address books could not be synced: %2")
                          .arg(QString::number(names.size()), names.join(QStringLiteral(", ")));
    }
    if (notice.body == posted_)
        return;
    posted_ = notice.body;
    services().syncNotices().post(notice);
}

} // namespace cw
