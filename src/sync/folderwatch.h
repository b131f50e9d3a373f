#pragma once
// Watches the contacts folders while the program runs: a file added, renamed into place, rewritten or
// removed makes changed() come once the burst of changes has settled, so that a sync tool writing a
// hundred cards causes one read.
#include <QObject>
#include <QString>

#include <memory>

namespace cw::addressbook {

class FolderWatch : public QObject {
    Q_OBJECT
  public:
    static constexpr int settleMs = 1000;

    explicit FolderWatch(QObject* parent = nullptr);
    ~FolderWatch() override;
    void watch(qint64 sourceId, const QString& folder);
    void unwatch(qint64 sourceId);

  signals:
    void changed(qint64 sourceId);

  private:
    void touched(const QString& path);
    void watchCards(qint64 sourceId);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cw::addressbook
