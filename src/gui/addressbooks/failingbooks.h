#pragma once
// The address books whose last sync failed, and the one desktop notification that names them: posted
// when the first book fails, posted again in place whenever what it says changes (the set of failing
// books, a lone book's error or a name; not at every sync), and withdrawn once none fails.
#include <QMap>
#include <QString>

namespace cw {

class FailingBooks {
  public:
    // A book's sync failed, with the error it gave: the last error is the one told.
    void failed(qint64 sourceId, const QString& name, const QString& error);
    // A book synced.
    void cleared(qint64 sourceId);
    // The books were added, removed or renamed: a failing book that is no longer subscribed has gone
    // with it, and one renamed is told by its new name.
    void followSources();
    bool contains(qint64 sourceId) const { return books_.contains(sourceId); }
    // One line for the main window and the tray's tip; empty when none fails.
    QString summary() const;

  private:
    struct Book {
        QString name;
        QString error;
    };
    void follow();
    QMap<qint64, Book> books_;
    QString posted_; // what the notification says now; empty when none is up
};

} // namespace cw
