#pragma once
// Where a sync gets a CardDAV address book's password, and the desktop's secret store behind it.
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

class QTimer;

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
// A locked store whose unlock nobody gives may never answer: a read is given up on after
// answerWithinMs, found=false with secretStoreLocked() true, as when the store refuses for being
// locked. A book has one read at a time; a request while it waits waits for the same answer.
class KeychainPasswords : public PasswordSource {
    Q_OBJECT
  public:
    static constexpr int answerWithinMs = 30 * 1000;

    explicit KeychainPasswords(QObject* parent = nullptr);
    ~KeychainPasswords() override;
    void requestPassword(qint64 sourceId, const QString& location, const QString& userName) override;
    void savePassword(qint64 sourceId, const QString& userName, const QString& password);
    void forgetPassword(qint64 sourceId);
    bool secretStoreMissing() const;
    bool secretStoreLocked() const { return storeLocked_; }
    QString missingPasswordText() const override;
  signals:
    void passwordSaved(qint64 sourceId, bool ok);

  private:
    void noteError(int error, const QString& text);
    void answer(qint64 sourceId, const QString& password, bool found);
    void answerUnlessLocked(qint64 sourceId);
    bool storeMissing_ = false;
    bool storeLocked_ = false;
    QString storeError_;
    QSet<qint64> reading_;          // books whose read the store has not answered yet
    QHash<qint64, QTimer*> giveUp_; // books whose sync waits for their read, until the timer fires
};

} // namespace cw::addressbook
