#pragma once
// Where a sync gets a CardDAV address book's password, and the desktop's secret store behind it.
#include <QObject>
#include <QString>

namespace cw::addressbook {

// Where the runner gets a CardDAV source's password: the desktop's secret store, or the user when
// there is none. The answer may come later; answering with nothing fails the sync ("no password").
class PasswordSource : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    virtual void requestPassword(qint64 sourceId, const QString& location, const QString& userName) = 0;
    // Why a sync had no password, in words, after an answer with found=false.
    virtual QString missingPasswordText() const;
  signals:
    void passwordReady(qint64 sourceId, const QString& password, bool found);
};

// The desktop's secret store through QtKeychain (GNOME Keyring, KWallet behind it), one entry per
// source. Nothing goes to a file when there is none: secretStoreMissing() turns true, reads answer
// found=false and saves answer ok=false, and the window then asks the user at each sync.
class KeychainPasswords : public PasswordSource {
    Q_OBJECT
  public:
    explicit KeychainPasswords(QObject* parent = nullptr);
    ~KeychainPasswords() override;
    void requestPassword(qint64 sourceId, const QString& location, const QString& userName) override;
    void savePassword(qint64 sourceId, const QString& userName, const QString& password);
    void forgetPassword(qint64 sourceId);
    bool secretStoreMissing() const;
    QString missingPasswordText() const override;
  signals:
    void passwordSaved(qint64 sourceId, bool ok);

  private:
    void noteError(int error, const QString& text);
    bool storeMissing_ = false;
    QString storeError_;
};

} // namespace cw::addressbook
