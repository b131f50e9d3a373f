#pragma once
// Carries the shell's reports for the control's window into the control's report routine while the
// icon is in the tray; everything else the shell does is left alone.
#include <QMetaObject>

#include <functional>

class QObject;

namespace cw {

class TrayShell;

class TrayHook {
  public:
    TrayHook() = default;
    TrayHook(const TrayHook&) = delete;
    TrayHook& operator=(const TrayHook&) = delete;
    ~TrayHook() { remove(); }

    // The control's report routine, taking the identifier and the code of each report.
    using Report = std::function<void(int identifier, int code)>;
    // The control is the context: a report can never reach a control that is gone.
    void install(TrayShell& shell, QObject* control, Report report);
    void remove();

  private:
    // Every report of the shell passes through here on its way to the control.
    static void TrayWndProc(const Report& report, int identifier, int code);

    QMetaObject::Connection connection_;
};

} // namespace cw
