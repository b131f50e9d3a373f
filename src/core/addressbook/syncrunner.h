#pragma once
// Runs the syncs of the subscribed address books without blocking the caller's event loop: the
// network calls are asynchronous, a folder is read in slices, and the store is written in short
// transactions. One sync of a source runs at a time; asking again while it runs does nothing.
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

namespace cw::addressbook {

class SyncJob;
struct DavResponse;

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

class SyncRunner : public QObject {
    Q_OBJECT
  public:
    // storePath is the birthday store's file; the runner opens its own connection for each write.
    SyncRunner(const QString& storePath, PasswordSource* passwords, QObject* parent = nullptr);
    ~SyncRunner() override;

    // A source whose sync found the store held by another program is synced again this much later.
    static constexpr int busyRetryMs = 30'000;

    void syncSource(qint64 sourceId);
    void syncAll();
    bool isRunning(qint64 sourceId) const;
    bool isIdle() const;
    // How long a write waits for another program's lock on the store (a window waits briefly, so
    // that it never stops answering; the command line may wait longer).
    void setStoreWait(int milliseconds);
    // Whether the source's last sync found the store busy and is to be tried again.
    bool isRetrying(qint64 sourceId) const;

  signals:
    void progress(qint64 sourceId, int done, int total); // contacts read so far, of how many (0: unknown)
    void sourceFinished(qint64 sourceId, bool ok, const QString& error); // error in plain words
    void rowsChanged(); // rows of the birthday table were added, changed or removed
    void allFinished();

  private:
    struct Private;
    std::unique_ptr<Private> d;
    void startJob(qint64 sourceId, SyncJob* job);
    void endWithoutJob(qint64 sourceId, const QString& error);
    void retryLater(qint64 sourceId);
    void announceIdle();
};

// Adding a source: a folder is taken as it is; an address is followed to the address books it leads
// to (the address itself, /.well-known/carddav, the user's principal and its address-book home).
struct FoundBook {
    QUrl url;
    QString displayName;
};
class Discovery : public QObject {
    Q_OBJECT
  public:
    explicit Discovery(QObject* parent = nullptr);
    ~Discovery() override;
    void start(const QUrl& address, const QString& userName, const QString& password);
  signals:
    void found(const QList<cw::addressbook::FoundBook>& books);
    void failed(const QString& error); // plain words: "The server refused the user name or password." ...

  private:
    void probe(const QUrl& url);
    void list(const QUrl& home);
    void notFound();
    // One PROPFIND of the search, its responses handed on; none when the answer said nothing.
    using Answer = std::function<void(const QUrl& here, const std::vector<DavResponse>& responses)>;
    void ask(const QUrl& url, const QByteArray& body, int depth, const Answer& then);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cw::addressbook
