#include "sync/account.h"

#include <QUrl>

namespace cw::addressbook {

int portOf(const QUrl& url) {
    return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
}

Account accountOf(const QString& location, const QString& userName) {
    const QUrl address(location);
    QUrl origin;
    origin.setScheme(address.scheme());
    origin.setHost(address.host());
    // https://dav.example.org and https://dav.example.org:443 are one server
    if (address.port() >= 0 && address.port() != portOf(origin))
        origin.setPort(address.port());
    return {origin.toString(), userName};
}

QString Account::text() const {
    const QUrl address(origin);
    const QString host = address.port() < 0 ? address.host() : address.authority();
    return QStringLiteral("%1 on %2").arg(userName, host);
}

std::vector<SourceInfo> booksOf(const std::vector<SourceInfo>& sources, const Account& account) {
    std::vector<SourceInfo> books;
    for (const SourceInfo& source : sources)
        if (source.kind == SourceKind::CardDav && accountOf(source.location, source.userName) == account)
            books.push_back(source);
    return books;
}

// The first book subscribed names the account, so that adding books leaves the name as the user first saw it.
QString entryLabel(const std::vector<SourceInfo>& books, const Account& account) {
    QString named = books.empty() ? QString() : books.front().displayName;
    if (books.size() > 1)
        named += QStringLiteral(" and %1 more").arg(books.size() - 1);
    return named.isEmpty() ? QStringLiteral("Candlewise: %1").arg(account.text())
                           : QStringLiteral("Candlewise: %1 (%2)").arg(named, account.text());
}

} // namespace cw::addressbook
