#pragma once
// Answers a modal window the way a user does: once it is up, the given action runs on it.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

namespace cwtest {

namespace modal {

// The answers armed whose window has not come up yet.
inline QList<QPointer<QTimer>>& outstanding() {
    static QList<QPointer<QTimer>> answers;
    return answers;
}

inline qint64 now() {
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

inline void fail(const QString& message) {
    if (QTest::currentTestFunction() && !QTest::currentTestFailed())
        QTest::qFail(qPrintable(message), __FILE__, __LINE__);
}

inline void close(QWidget* window) {
    if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->reject();
    else
        window->close();
}

// A modal window that stays up for five seconds with no answer for it would keep the test waiting
// for ever: it fails the test and is closed. A progress dialog closes by itself when its work ends.
inline void closeWindowLeftUnanswered() {
    QWidget* window = QApplication::activeModalWidget();
    if (!window || window->property("cwtestAnswered").toBool() || qobject_cast<QProgressDialog*>(window))
        return;
    const QVariant seenAt = window->property("cwtestSeenAt");
    if (!seenAt.isValid()) {
        window->setProperty("cwtestSeenAt", now());
        return;
    }
    if (now() - seenAt.toLongLong() < 5000)
        return;
    fail(QStringLiteral("a %1 came up that the test did not answer").arg(window->metaObject()->className()));
    close(window);
}

} // namespace modal

// A pending answer. withdraw() drops it once its window is no longer expected, so it cannot answer a
// window of a later test and its window may stay away.
class PendingModal {
  public:
    explicit PendingModal(QTimer* poller) : poller_(poller) {}
    void withdraw() { delete poller_; }

  private:
    QPointer<QTimer> poller_;
};

// Runs the action on the next modal window of the kind and counts it in seen. A window that never
// comes up fails the test when its sandbox ends (failUnansweredModals), unless the answer was
// withdrawn. A window the action leaves open (say a check in it failed) fails the test and is
// closed, so the test ends instead of waiting on the window for ever.
template <typename Window> PendingModal whenModal(std::function<void(Window*)> action, int* seen = nullptr) {
    auto* poller = new QTimer;
    poller->setObjectName(QString::fromLatin1(Window::staticMetaObject.className()));
    poller->setInterval(10);
    QObject::connect(poller, &QTimer::timeout, poller, [poller, action, seen] {
        const QPointer<Window> window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window || window->property("cwtestAnswered").toBool()) {
            modal::closeWindowLeftUnanswered();
            return;
        }
        window->setProperty("cwtestAnswered", true);
        poller->stop();
        poller->deleteLater();
        modal::outstanding().removeAll(poller);
        if (seen)
            ++*seen;
        action(window);
        if (!window || !window->isVisible())
            return;
        modal::fail(QStringLiteral("the modal window was still open after its answer"));
        modal::close(window);
    });
    modal::outstanding() << poller;
    poller->start();
    return PendingModal(poller);
}

// Fails the running test for each answer whose window never came up, and drops those answers.
inline void failUnansweredModals() {
    for (const QPointer<QTimer>& poller : std::exchange(modal::outstanding(), {})) {
        if (!poller)
            continue;
        modal::fail(QStringLiteral("the %1 the test waited for never came up").arg(poller->objectName()));
        delete poller;
    }
}

} // namespace cwtest
