#pragma once
// The progress of a long import or export. The user sees nothing while the work is quick; once it
// has run for about half a second, a window-modal progress dialog over the window counts the units
// done (lines, rows, cards) and offers Cancel, and the window takes no other command meanwhile.
// Knows nothing of file formats: a reader or writer loop calls advance() for every unit and stops
// when it returns false. Without a window (a process with no screen) it only counts.
#include "transfer/transferprogress.h"

#include <QDateTime>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

namespace cw {

class TimerControl;

class WorkProgress : public TransferProgress {
  public:
    // heldTimer, when given, is stopped while the dialog is up and runs again once it is gone.
    explicit WorkProgress(QWidget* window = nullptr, TimerControl* heldTimer = nullptr);
    ~WorkProgress() override;
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    // Starts a stage of the work. labelText is what the dialog says, with %1 standing for the units
    // done and %2 for the total; total is 0 when it is not known (the bar then only shows activity).
    void begin(const QString& labelText, qint64 total) override;
    // done units of the stage so far; false once the user has cancelled. Cheap enough for every unit:
    // the clock is read once in a few hundred units, and at every call that skips as many.
    bool advance(qint64 done) override;
    bool cancelled() const override { return cancelled_; }
    // Whether the dialog has been shown during the work.
    bool shown() const { return shown_; }
    // Cancels every work in progress, as its Cancel button does (the session is ending); false
    // when none runs.
    static bool cancelRunning();

  private:
    void checkClock(qint64 done);
    void showDialog();
    void update(qint64 done);

    QPointer<QWidget> window_;
    QPointer<TimerControl> heldTimer_;
    bool timerHeld_ = false;
    QPointer<QProgressDialog> dialog_;
    QString labelText_;
    qint64 total_ = 0;
    qint64 nextClockRead_ = 0;
    QDateTime started_;
    QDateTime lastUpdate_;
    bool cancelled_ = false;
    bool shown_ = false;
};

} // namespace cw
