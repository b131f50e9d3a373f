#include "sync/folderwatch.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QTimer>

namespace cw::addressbook {

namespace {
// A folder's cards are watched one by one (a card rewritten in place changes the file, not the
// folder) up to this many; past it, only files added, renamed or removed are seen.
constexpr int cardWatchLimit = 2000;
} // namespace

struct FolderWatch::Private {
    QFileSystemWatcher watcher;
    QHash<qint64, QString> folders;
    QHash<qint64, QTimer*> timers;
};

FolderWatch::FolderWatch(QObject* parent) : QObject(parent), d(std::make_unique<Private>()) {
    connect(&d->watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::touched);
    connect(&d->watcher, &QFileSystemWatcher::fileChanged, this,
            [this](const QString& path) { touched(QFileInfo(path).absolutePath()); });
}

FolderWatch::~FolderWatch() = default;

void FolderWatch::watch(qint64 sourceId, const QString& folder) {
    unwatch(sourceId);
    const QString path = QFileInfo(folder).absoluteFilePath();
    d->folders.insert(sourceId, path);
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(settleMs);
    connect(timer, &QTimer::timeout, this, [this, sourceId] {
        watchCards(sourceId);
        emit changed(sourceId);
    });
    d->timers.insert(sourceId, timer);
    d->watcher.addPath(path);
    watchCards(sourceId);
}

void FolderWatch::unwatch(qint64 sourceId) {
    const QString folder = d->folders.take(sourceId);
    delete d->timers.take(sourceId);
    if (folder.isEmpty() || d->folders.values().contains(folder))
        return;
    QStringList paths;
    for (const QString& file : d->watcher.files())
        if (QFileInfo(file).absolutePath() == folder)
            paths << file;
    if (d->watcher.directories().contains(folder))
        paths << folder;
    if (!paths.isEmpty())
        d->watcher.removePaths(paths);
}

void FolderWatch::watchCards(qint64 sourceId) {
    const QDir dir(d->folders.value(sourceId));
    const QStringList names = dir.entryList({QStringLiteral("*.vcf")}, QDir::Files, QDir::Name);
    QStringList paths;
    for (qsizetype i = 0; i < names.size() && i < cardWatchLimit; ++i)
        paths << dir.filePath(names[i]);
    const QStringList watched = d->watcher.files();
    paths.removeIf([&](const QString& path) { return watched.contains(path); });
    if (!paths.isEmpty())
        d->watcher.addPaths(paths);
    if (!d->watcher.directories().contains(dir.path()) && dir.exists())
        d->watcher.addPath(dir.path());
}

void FolderWatch::touched(const QString& path) {
    for (auto it = d->folders.cbegin(); it != d->folders.cend(); ++it)
        if (it.value() == path)
            d->timers.value(it.key())->start(); // each change restarts the wait
}

} // namespace cw::addressbook
