#pragma once
// Carries the shell's reports for the control's window into the control's report routine while the
// icon is in the tray; everything else the shell does is left alone.
#include <QMetaObject>

namespace cw {

class TrayShell;
class cSysTray;

class TrayHook {
  public:
    TrayHook() = default;
    TrayHook(const TrayHook&) = delete;
    TrayHook& operator=(const TrayHook&) = delete;
    ~TrayHook() { remove(); }

    void install(TrayShell& shell, cSysTray& control);
    void remove();

  private:
    // Every report of the shell passes through here on its way to the control.
    static void TrayWndProc(cSysTray* control, int identifier, int code);

    QMetaObject::Connection connection_;
};

} // namespace cw
