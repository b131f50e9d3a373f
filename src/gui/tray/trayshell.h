#pragma once
// The tray shell takes the add, modify and delete records of the tray control and answers with
// (identifier, code) reports, as the notification area does for a window.
#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

namespace cw {

enum NotifyMessage : int { NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2 };
enum NotifyFlags : unsigned { NIF_MESSAGE = 1, NIF_ICON = 2, NIF_TIP = 4, NIF_INFO = 16 };
constexpr int trayCallbackMessage = 1125; // WM_USER + 101
// The codes a shell reports back: the pointer's messages over the icon and the balloon's end.
enum ShellReport : int {
    WM_MOUSEMOVE = 512,
    WM_LBUTTONDOWN = 513,
    WM_LBUTTONUP = 514,
    WM_LBUTTONDBLCLK = 515,
    WM_RBUTTONDOWN = 516,
    WM_RBUTTONUP = 517,
    WM_RBUTTONDBLCLK = 518,
    NIN_BALLOONHIDE = 1027,
    NIN_BALLOONTIMEOUT = 1028,
    NIN_BALLOONUSERCLICK = 1029,
};

// One record as handed to the shell; text fields hold their full fixed-width form
// (text, one NUL, padded with blanks); a field the operation does not set stays empty, as the
// zeroed record leaves it.
struct NotifyIconData {
    unsigned cbSize = 488;
    quintptr hWnd = 0;
    unsigned uID = 0;
    unsigned uFlags = 0;
    unsigned uCallbackMessage = 0;
    QIcon hIcon;
    QString szTip;
    QString szInfo;
    unsigned uTimeout = 0;
    QString szInfoTitle;
    unsigned dwState = 0;
    unsigned dwStateMask = 0;
    unsigned dwInfoFlags = 0;
};

class TrayShell : public QObject {
    Q_OBJECT
  public:
    ~TrayShell() override = default;
    virtual bool notifyIcon(int message, const NotifyIconData& data) = 0;
    // Whether a tray exists at all and whether it can show balloons.
    virtual bool isAvailable() const = 0;
    virtual bool supportsMessages() const = 0;

  signals:
    // (identifier, notification code) as the tray callback message carries them.
    void callback(int identifier, int code);
    // A tray came or went (a panel started or stopped after the program).
    void availabilityChanged(bool available);
};

// What the real shells share: the identifier a record brings, the balloon's time and its end. Each
// shows, changes and removes its icon and shows a balloon its own way.
class IconTrayShell : public TrayShell {
    Q_OBJECT
  public:
    IconTrayShell();
    bool notifyIcon(int message, const NotifyIconData& data) final;

  protected:
    // The icon and the tooltip that the record's flags name.
    virtual void apply(const NotifyIconData& data) = 0;
    virtual void showIcon() = 0;
    virtual void hideIcon() = 0;
    virtual void showMessage(const QString& title, const QString& text, int milliseconds) = 0;
    // A press and a release, or a balloon's end, as the tray reports them.
    void report(int down, int up);
    void endBalloon(int code);
    QTimer balloonTimer_;
    int identifier_ = 0;

  private:
    void showBalloon(const NotifyIconData& data);
};

// The real notification area, over QSystemTrayIcon.
std::unique_ptr<TrayShell> createSystemTrayShell();
// A StatusNotifierItem of the program's own, following the session bus's watcher as it comes and goes.
std::unique_ptr<TrayShell> createStatusNotifierShell();
// Whether the session bus has a StatusNotifierItem watcher with a host.
bool statusNotifierHostPresent();

} // namespace cw
