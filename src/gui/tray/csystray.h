#pragma once
// The tray icon control: one icon in the notification area with its tooltip and balloon, and the
// mouse activity the shell reports on it turned into events of its own.
#include "gui/tray/trayhook.h"
#include "gui/tray/traypicture.h"
#include "gui/tray/trayshell.h"

#include <QIcon>
#include <QObject>
#include <QString>

#include <memory>

class QTimer;

namespace cw {

class PropertyBag;

class cSysTray : public QObject {
    Q_OBJECT
    Q_PROPERTY(QIcon TrayIcon READ TrayIcon WRITE setTrayIcon)
    Q_PROPERTY(QString TrayTip READ TrayTip WRITE setTrayTip)
    // The control's standard text is its tip.
    Q_PROPERTY(QString Text READ TrayTip WRITE setTrayTip)
    Q_PROPERTY(bool InTray READ InTray WRITE setInTray)

  public:
    explicit cSysTray(std::unique_ptr<TrayShell> shell, QObject* parent = nullptr);
    ~cSysTray() override;

    QIcon TrayIcon() const { return currentIcon_; }
    // Anything but a picture of the icon kind is ignored entirely.
    void setTrayIcon(const TrayPicture& picture);
    void setTrayIcon(const QIcon& icon) { setTrayIcon(TrayPicture::fromIcon(icon)); }

    QString TrayTip() const { return currentTip_; }
    void setTrayTip(const QString& tip);

    bool InTray() const { return inTray_; }
    void setInTray(bool inTray);

    // Shows a balloon and returns at once; with a timeout above 0 the balloon is taken away when the
    // time is up, unless the shell has reported it gone. No event loop runs inside, so a quit asked
    // for meanwhile (even before the program's loop has started) is not lost. Throws AppError
    // ("Overflow") when the timeout in milliseconds does not fit 32 bits.
    void ShowBalloon(const QString& text, const QString& title, qint32 timeout, bool showOnce);

    // Persistence with the host's design: defaults for a new control, then loading and saving.
    void InitProperties();
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    quintptr windowHandle() const { return hWnd_; }
    TrayShell& shell() const { return *shell_; }

  signals:
    void MouseMove(int id);
    void MouseDown(int button, int id);
    void MouseUp(int button, int id);
    void MouseDblClick(int button, int id);
    // A persisted property was written, so the host's design needs saving.
    void PropertyChanged(const QString& name);

  private:
    NotifyIconData emptyRecord() const;
    void addIcon();
    void removeIcon();
    void endBalloon();
    // The shell's (identifier, code) report, as the hook hands it over.
    void report(int identifier, int code);

    std::unique_ptr<TrayShell> shell_;
    TrayHook hook_;
    bool inTray_ = false;
    bool iconAdded_ = false;
    const unsigned iconId_ = 0;
    quintptr hWnd_ = 0;
    QString currentTip_;
    QIcon currentIcon_;
    bool balloonShown_ = false;
    qint32 showOnceCount_ = 0;
    QTimer* balloonEnd_;
};

} // namespace cw
