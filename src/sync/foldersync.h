#pragma once
#include "sync/syncjob.h"

#include <QStringList>

#include <utility>
#include <vector>

namespace cw::addressbook {

// Every *.vcf file directly in the folder is one contact; its ETag is its size, time and file number.
// A "displayname" file, as vdirsyncer keeps, names the book.
class FolderSync : public SyncJob {
    Q_OBJECT
  public:
    FolderSync(const QString& storePath, qint64 sourceId, const QString& folder, QObject* parent = nullptr);

  private:
    void run() override;
    void readSlice();

    QString folder_;
    std::vector<std::pair<QString, QString>> changed_; // file name, ETag
    QStringList gone_;
    size_t next_ = 0;
    int unread_ = 0; // cards that could not be read, the first of them named
    QString firstUnread_;
};

} // namespace cw::addressbook
