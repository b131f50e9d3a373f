#pragma once
// Where a sync gets a CardDAV address book's password: the desktop's secret store, else the user.
// Without a secret store the user is told so and asked at each sync; what they type serves that sync
// and is kept nowhere. The password is never shown, logged or written to a file. The books of one
// account (see account.h) share one password: one question serves all the books that wait for it.
#include "sync/passwords.h"

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
    // Questions open over window, unless another window asks (see askOver); storePath is the birthday
    // store's file.
    PasswordPrompt(QWidget* window, const QString& storePath, QObject* parent = nullptr);
    ~PasswordPrompt() override;

    void requestPassword(qint64 sourceId, const QString& location, const QString& userName) override;
    QString missingPasswordText() const override;
    QString waitingText(qint64 sourceId) const override; // "Waiting for the password" while asked
    // Questions open over window while it is there (the Address Books window), else over the main
    // window, where the open ones go when window closes.
    void askOver(QWidget* window);
    // A password just typed for new address books of one account: into the secret store, once, and to
    // their first syncs.
    void remember(const QList<qint64>& books, const QString& location, const QString& userName,
                  const QString& password);
    void forget(qint64 sourceId, const QString& location, const QString& userName);
    // A store of an older version may keep passwords inside its addresses: they move to the secret
    // store, and to the first syncs.
    void moveFromAddresses(Connection& connection);
    // A new password for a book whose server refused the old one (or that was changed there), asked
    // over parent: it goes to the secret store and to the next sync, which given() then starts.
    void askNew(qint64 sourceId, const QString& location, const QString& userName, QWidget* parent,
                const std::function<void()>& given);

  private:
    struct Question {
        QPointer<QDialog> dialog;
        QList<qint64> books; // the books whose syncs wait for the answer
    };
    void storeAnswered(qint64 sourceId, const QString& password, bool found);
    void askUser(qint64 sourceId, const QString& location, const QString& userName);
    void answered(const QString& account, const QString& password, bool found);

    QPointer<QWidget> window_;
    QPointer<QWidget> over_;
    addressbook::KeychainPasswords* keychain_;
    QHash<qint64, QString> firstSync_;
    QHash<qint64, std::pair<QString, QString>> waiting_; // location and user name, while the store looks
    QHash<QString, Question> asking_;                    // by the account's key
};

} // namespace cw
