#include "sync/foldersync.h"

#include "core/nametext.h"
#include "store/sources.h"
#include "sync/contactcard.h"
#include "sync/davclient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <sys/stat.h>

namespace cw::addressbook {

namespace {
constexpr size_t sliceSize = 200;

// Size, time to the nanosecond and file number: a file rewritten or renamed into place reads anew.
QString folderETag(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QStringLiteral("%1-%2.%3-%4")
        .arg(qint64(info.st_size))
        .arg(qint64(info.st_mtim.tv_sec))
        .arg(qint64(info.st_mtim.tv_nsec))
        .arg(quint64(info.st_ino));
}
// vdirsyncer keeps a collection's name in the file "displayname" beside its cards: the first line,
// read up to a bound; a longer line is no name.
QString folderDisplayName(const QDir& dir) {
    constexpr qint64 limit = 1024;
    QFile file(dir.filePath(QStringLiteral("displayname")));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(limit + 1);
    const qsizetype end = bytes.indexOf('\n');
    if (end < 0 && bytes.size() > limit)
        return {};
    return nameOnOneLine(QString::fromUtf8(bytes.left(end < 0 ? bytes.size() : end))).trimmed();
}
} // namespace

FolderSync::FolderSync(const QString& storePath, qint64 sourceId, const QString& folder, QObject* parent)
    : SyncJob(storePath, sourceId, parent), folder_(folder) {}

void FolderSync::run() {
    const QDir dir(folder_);
    if (!dir.exists() || !dir.isReadable()) {
        fail(QStringLiteral("The folder cannot be read: %1").arg(folder_));
        return;
    }
    const QString name = folderDisplayName(dir);
    QHash<QString, QString> known;
    if (!onStore([&](ContactStore& contacts) {
            known = contacts.knownETags();
            return !name.isEmpty() && contacts.takeBookName(name); // the rows name their book
        }))
        return;
    // Sync tools write a dot-file or a *.tmp and rename it into place; the filter leaves both out.
    const QStringList names = dir.entryList({QStringLiteral("*.vcf")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString etag = folderETag(dir.filePath(name));
        if (!etag.isEmpty() && known.value(name) != etag)
            changed_.emplace_back(name, etag);
        known.remove(name);
    }
    gone_ = known.keys();
    readSlice();
}

void FolderSync::readSlice() {
    std::vector<Contact> contacts;
    const size_t end = std::min(changed_.size(), next_ + sliceSize);
    for (; next_ < end; ++next_) {
        const QString& name = changed_[next_].first;
        QFile file(QDir(folder_).filePath(name));
        // A card that cannot be read now, or is past the bound, stays as it was and is reported.
        QByteArray card;
        if (file.open(QIODevice::ReadOnly) && file.size() <= DavClient::cardLimit)
            card = file.read(DavClient::cardLimit + 1);
        Contact contact = card.isEmpty() || card.size() > DavClient::cardLimit
                              ? Contact{name, {}, {}, std::nullopt, true, std::nullopt}
                              : readContact(name, changed_[next_].second, card);
        if (contact.damaged && unread_++ == 0)
            firstUnread_ = name;
        else if (!contact.damaged)
            contacts.push_back(std::move(contact));
    }
    if (!contacts.empty() && !onStore([&](ContactStore& store) { return store.apply(contacts); }))
        return;
    emit progress(int(next_), int(changed_.size()));
    if (next_ < changed_.size()) {
        // The rest on a later turn of the event loop, so that a large folder does not hold it.
        QTimer::singleShot(0, this, &FolderSync::readSlice);
        return;
    }
    // A folder moved away meanwhile lists as empty: its rows stay, and the sync failed.
    if (!QDir(folder_).exists()) {
        fail(QStringLiteral("The folder cannot be read: %1").arg(folder_));
        return;
    }
    if (!gone_.isEmpty() && !onStore([&](ContactStore& store) { return store.remove(gone_); }))
        return;
    if (unread_ == 0)
        succeed();
    else if (unread_ == 1)
        fail(QStringLiteral("1 card could not be read: %1").arg(firstUnread_));
    else
        fail(QStringLiteral("%1 cards could not be read (first: %2)").arg(unread_).arg(firstUnread_));
}

} // namespace cw::addressbook
