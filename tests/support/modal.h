#pragma once
// Answers a modal window the way a user does: once it is up, the given action runs on it.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace cwtest {

// A pending answer. withdraw() drops it once its window is no longer expected, so it cannot answer a
// window of a later test.
class PendingModal {
  public:
    explicit PendingModal(QTimer* poller) : poller_(poller) {}
    void withdraw() { delete poller_; }

  private:
    QPointer<QTimer> poller_;
};

// Runs the action on the next modal window of the kind within five seconds and counts it in seen. A
// window the action leaves open (say a check in it failed) fails the test and is closed, so the test
// ends instead of waiting on the window for ever.
template <typename Window> PendingModal whenModal(std::function<void(Window*)> action, int* seen = nullptr) {
    auto* poller = new QTimer;
    QElapsedTimer started;
    started.start();
    poller->setInterval(10);
    QObject::connect(poller, &QTimer::timeout, poller, [poller, started, action, seen] {
        const QPointer<Window> window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window && started.elapsed() < 5000)
            return;
        poller->stop();
        poller->deleteLater();
        if (!window)
            return;
        if (seen)
            ++*seen;
        action(window);
        if (!window || !window->isVisible())
            return;
        if (!QTest::currentTestFailed())
            QTest::qFail("the modal window was still open after its answer", __FILE__, __LINE__);
        if (auto* dialog = qobject_cast<QDialog*>(window.data()))
            dialog->reject();
        else
            window->close();
    });
    poller->start();
    return PendingModal(poller);
}

} // namespace cwtest
