#pragma once
// Where a sync gets a CardDAV address book's password, and the desktop's secret store behind it.
#include "sync/account.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

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
    // While a book's answer waits for a person (the user's answer, the secret store's unlock): what it
    // waits for, in words; empty otherwise.
    virtual QString waitingText(qint64 sourceId) const;
  signals:
    void passwordReady(qint64 sourceId, const QString& password, bool found);
    void waitingChanged(qint64 sourceId);
};

// The desktop's secret store through QtKeychain (GNOME Keyring, KWallet behind it), one entry per
// account (see account.h), labelled with the program, its books and the account. An entry of an older
// version, one per book, is read when the account has none, and moves to the account. Nothing goes to a file
// when there is none: secretStoreMissing() turns true, reads answer found=false and saves answer ok=false,
// and the window then asks the user at each sync. A locked store whose unlock nobody gives may never answer:
// a read is given up on after answerWithinMs, found=false with secretStoreLocked() true, as when the store
// refuses for being locked. A book has one read at a time; a request while it waits waits for the same
// answer.
class KeychainPasswords : public PasswordSource {
    Q_OBJECT
  public:
    static constexpr int answerWithinMs = 30 * 1000;

    // storePath is the birthday store's file, read for the books an entry's label names.
    explicit KeychainPasswords(const QString& storePath, QObject* parent = nullptr);
    ~KeychainPasswords() override;
    void requestPassword(qint64 sourceId, const QString& location, const QString& userName) override;
    // Into the entry of the book's account, which serves all its books.
    void savePassword(qint64 sourceId, const QString& location, const QString& userName,
                      const QString& password);
    // A book removed from the store: the account's entry goes with its last book.
    void forgetPassword(qint64 sourceId, const QString& location, const QString& userName);
    bool secretStoreMissing() const;
    bool secretStoreLocked() const { return storeLocked_; }
    QString missingPasswordText() const override;
    QString waitingText(qint64 sourceId) const override;
  signals:
    void passwordSaved(qint64 sourceId, bool ok); // once the entry is written and labelled

  private:
    void noteError(int error, const QString& text);
    void readBookEntry(qint64 sourceId, const Account& account);
    void finishRead(qint64 sourceId, int error, const QString& errorText, const QString& password);
    void writeEntry(qint64 sourceId, const Account& account, const QString& password);
    void answer(qint64 sourceId, const QString& password, bool found);
    void answerUnlessLocked(qint64 sourceId);
    void noteWaiting(qint64 sourceId);
    void stopWaiting(qint64 sourceId);
    void label(const Account& account, const std::vector<SourceInfo>& books,
               const std::function<void()>& then);
    using Sources = std::optional<std::vector<SourceInfo>>; // none when the store cannot be read
    // The books, read again a while later while another program holds the store, so that an entry is
    // neither left behind nor misnamed for a moment's lock.
    void withSources(const std::function<void(const Sources&)>& then, int triesLeft = sourceTries);
    static constexpr int sourceTries = 40;
    static constexpr int sourceRetryMs = 500;
    QString storePath_;
    bool storeMissing_ = false;
    bool storeLocked_ = false;
    QString storeError_;
    QSet<qint64> reading_;           // books whose read the store has not answered yet
    QSet<qint64> writing_;           // books whose password the store has not written yet
    QHash<qint64, QTimer*> giveUp_;  // books whose sync waits for their read, until the timer fires
    QHash<qint64, QString> waiting_; // books whose read waits for the store's own window, and why
};

} // namespace cw::addressbook
