#pragma once
// Answers a modal window the way a user does: once it is up, the given action runs on it.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace cwtest {

template <typename Window> void whenModal(std::function<void(Window*)> action, int* seen = nullptr) {
    auto* poller = new QTimer;
    auto* started = new QElapsedTimer;
    started->start();
    poller->setInterval(10);
    QObject::connect(poller, &QTimer::timeout, poller, [poller, started, action, seen] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window && started->elapsed() < 5000)
            return;
        poller->stop();
        poller->deleteLater();
        delete started;
        if (window) {
            if (seen)
                ++*seen;
            action(window);
        }
    });
    poller->start();
}

} // namespace cwtest
