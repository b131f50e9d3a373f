#pragma once
// The address books whose last sync failed, and the one desktop notification that names them: posted
// when the first book fails, posted again in place whenever the set of failing books changes (not at
// every sync), and withdrawn once none fails.
#include <QMap>
#include <QString>

namespace cw {

class FailingBooks {
  public:
    // A book's sync failed, with the error it gave.
    void failed(qint64 sourceId, const QString& name, const QString& error);
    // A book synced.
    void cleared(qint64 sourceId);
    // The books were added or removed: a failing book that is no longer subscribed has gone with it.
    void forgetRemoved();
    bool contains(qint64 sourceId) const { return books_.contains(sourceId); }
    qsizetype count() const { return books_.size(); }
    // One line for the main window and the tray's tip; empty when none fails.
    QString summary() const;

  private:
    struct Book {
        QString name;
        QString error;
    };
    void follow() const;
    void announce() const;
    QMap<qint64, Book> books_;
};

} // namespace cw
