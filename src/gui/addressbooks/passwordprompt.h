#pragma once
// Where a sync gets a CardDAV address book's password: the desktop's secret store, else the user.
// Without a secret store the user is told so and asked at each sync; what they type serves that sync
// and is kept nowhere. The password is never shown, logged or written to a file.
#include "core/addressbook/passwords.h"

#include <QHash>
#include <QPointer>

#include <functional>

class QDialog;
class QWidget;

namespace cw {

class Connection;

class PasswordPrompt : public addressbook::PasswordSource {
    Q_OBJECT
  public:
    // Questions open over window.
    explicit PasswordPrompt(QWidget* window, QObject* parent = nullptr);
    ~PasswordPrompt() override;

    void requestPassword(qint64 sourceId, const QString& location, const QString& userName) override;
    QString missingPasswordText() const override;
    // A password just typed for a new address book: into the secret store, and to its first sync.
    void remember(qint64 sourceId, const QString& userName, const QString& password);
    void forget(qint64 sourceId);
    // A store of an older version may keep passwords inside its addresses: they move to the secret
    // store, and to the first syncs.
    void moveFromAddresses(Connection& connection);
    // A new password for a book whose server refused the old one (or that was changed there), asked
    // over parent: it goes to the secret store and to the next sync, which given() then starts.
    void askNew(qint64 sourceId, const QString& location, const QString& userName, QWidget* parent,
                const std::function<void()>& given);

  private:
    void storeAnswered(qint64 sourceId, const QString& password, bool found);
    void askUser(qint64 sourceId, const QString& location, const QString& userName);

    QPointer<QWidget> window_;
    addressbook::KeychainPasswords* keychain_;
    QHash<qint64, QString> firstSync_;
    QHash<qint64, std::pair<QString, QString>> waiting_; // location and user name, while the store looks
    QHash<qint64, QPointer<QDialog>> asking_;
};

} // namespace cw
