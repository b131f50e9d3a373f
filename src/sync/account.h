#pragma once
// Books found together at one address with one user name are one account on their server: they share
// one password, kept once in the secret store under the account's key.
#include "store/sources.h"

#include <QString>
#include <QUrl>

#include <vector>

namespace cw::addressbook {

struct Account {
    QString origin; // scheme://host, with :port when it is not the scheme's own
    QString userName;

    // The secret store's entry: "lena@https://dav.example.org". Stable: no name the user may change.
    QString key() const { return userName + QLatin1Char('@') + origin; }
    // In the user's words: "lena on dav.example.org".
    QString text() const;
    bool operator==(const Account&) const = default;
};

// The port an address reaches: its own, or its scheme's (443 for https, else 80).
int portOf(const QUrl& url);
Account accountOf(const QString& location, const QString& userName);
// The CardDAV books of the account among sources, in the order they were subscribed.
std::vector<SourceInfo> booksOf(const std::vector<SourceInfo>& sources, const Account& account);
// The entry as the secret store's own windows list it: "Candlewise: Family & Friends (lena on
// dav.example.org)", with "and 2 more" for an account of three books.
QString entryLabel(const std::vector<SourceInfo>& books, const Account& account);

} // namespace cw::addressbook
