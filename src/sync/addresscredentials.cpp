#include "sync/addresscredentials.h"

#include "store/query.h"
#include "store/sources.h"

#include <QUrl>

namespace cw::addressbook {

std::vector<AddressCredentials> takeCredentialsFromAddresses(Connection& connection) {
    std::vector<SourceInfo> sources = listSources(connection);
    std::erase_if(sources, [](const SourceInfo& source) {
        return source.kind != SourceKind::CardDav || QUrl(source.location).userInfo().isEmpty();
    });
    std::vector<AddressCredentials> taken;
    if (sources.empty())
        return taken; // the store is not written
    // The old text is not left in the file's free space.
    connection.execute(QStringLiteral("pragma secure_delete=on"));
    Transaction transaction(connection);
    for (const SourceInfo& source : sources) {
        QUrl address(source.location);
        const QString userInfo = address.userInfo() + QLatin1Char('@');
        const QString password = address.password();
        const QString userName = source.userName.isEmpty() ? address.userName() : source.userName;
        address.setUserInfo({});
        const AddressCredentials credentials{source.id, address.toString(), userName, password};
        Query(connection,
              "update tblSource set Location=?, UserName=?, DisplayName=replace(DisplayName,?,''), "
              "LastError=replace(LastError,?,'') where id=?")
            .bind(1, credentials.location)
            .bind(2, credentials.userName)
            .bind(3, userInfo)
            .bind(4, userInfo)
            .bind(5, source.id)
            .run();
        if (!credentials.password.isEmpty())
            taken.push_back(credentials);
    }
    transaction.commit();
    return taken;
}

} // namespace cw::addressbook
