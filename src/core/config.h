#pragma once
// The product's fixed names and the maker's addresses, kept in one place.
#include <QString>

namespace cw::config {

inline const QString productName = QStringLiteral("Candlewise Software");
inline const QString makerName = QStringLiteral("Marrowfen");
inline const QString webSite = QStringLiteral("http://www.marrowfen.example/");
inline const QString contactPage = QStringLiteral("http://www.marrowfen.example/contact/");
inline const QString supportEmail = QStringLiteral("support@marrowfen.example");

} // namespace cw::config
