#pragma once
// What the program asks of the desktop's notifications: one notice at a time, posted in place of the
// last one and withdrawn, and the user's answer to it.
#include <QList>
#include <QObject>
#include <QString>

#include <utility>

namespace cw {

struct Notice {
    QString summary;
    QString body;         // plain text
    QString icon;         // an icon theme name
    QString desktopEntry; // the program's .desktop file, without ".desktop"
    // Action key and caption of each button; shown only where the server offers buttons.
    QList<std::pair<QString, QString>> buttons;
    int expireMilliseconds = 0; // 0: up until withdrawn or dismissed
};

class Notifier : public QObject {
    Q_OBJECT
  public:
    // Shows the notice in place of the last one posted. Returns at once.
    virtual void post(const Notice& notice) = 0;
    // Takes the notice back, also one still on its way.
    virtual void withdraw() = 0;

  signals:
    // "default" for a click on the notification itself, otherwise the button's key.
    void actionInvoked(const QString& key);
    // A token handed over with an action, for the window to ask the compositor for activation
    // (xdg-activation on Wayland).
    void activationToken(const QString& token);
};

} // namespace cw
