// The balloon: its once-only rule and the wait for its end.
#include "tray/traytests.h"

#include "app/apperror.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace cw::test {

namespace {
size_t balloonCalls(const ShellLog& log) {
    size_t count = 0;
    for (const ShellCall& call : log)
        count += (call.data.uFlags & NIF_INFO) ? 1 : 0;
    return count;
}
} // namespace

class TestBalloon : public QObject {
    Q_OBJECT
  private slots:
    void showOnceShowsTheFirstTimeOnly() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.tray->ShowBalloon(QStringLiteral("a"), QStringLiteral("t"), 0, true);
        t.tray->ShowBalloon(QStringLiteral("b"), QStringLiteral("t"), 0, true);
        QCOMPARE(balloonCalls(*t.log), size_t(1));
        t.tray->ShowBalloon(QStringLiteral("c"), QStringLiteral("t"), 0, false);
        t.tray->ShowBalloon(QStringLiteral("d"), QStringLiteral("t"), 0, false);
        t.tray->ShowBalloon(QStringLiteral("e"), QStringLiteral("t"), 0, true);
        QCOMPARE(balloonCalls(*t.log), size_t(3));
        QCOMPARE(t.log->back().data.szInfo.left(2), QStringLiteral("d") + QChar(u'\0'));
    }

    void notShownOnceLeavesTheOnceBalloonAvailable() {
        RecordedTray t;
        t.tray->ShowBalloon(QStringLiteral("a"), QStringLiteral("t"), 0, false);
        t.tray->ShowBalloon(QStringLiteral("b"), QStringLiteral("t"), 0, true);
        QCOMPARE(balloonCalls(*t.log), size_t(2));
    }

    void waitEndsWhenTheShellReportsTheBalloonGone_data() {
        QTest::addColumn<int>("code");
        QTest::newRow("hidden") << 1027;
        QTest::newRow("timed out") << 1028;
        QTest::newRow("clicked") << 1029;
    }

    void waitEndsWhenTheShellReportsTheBalloonGone() {
        QFETCH(int, code);
        RecordedTray t;
        t.tray->setInTray(true);
        t.shell->balloonEndCode = code;
        QElapsedTimer clock;
        clock.start();
        t.tray->ShowBalloon(QStringLiteral("text"), QStringLiteral("title"), 20, true);
        QVERIFY2(clock.elapsed() < 10000, "the balloon's end did not stop the wait");
        QCOMPARE(t.log->size(), size_t(2)); // no clearing modify
    }

    void otherReportsDoNotEndTheWait() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.shell->balloonEndCode = 514;
        QElapsedTimer clock;
        clock.start();
        t.tray->ShowBalloon(QStringLiteral("text"), QStringLiteral("title"), 1, false);
        QVERIFY(clock.elapsed() >= 900);
        QCOMPARE(t.log->size(), size_t(3));
    }

    void timeUpClearsTheBalloon() {
        RecordedTray t;
        t.tray->setInTray(true);
        QElapsedTimer clock;
        clock.start();
        t.tray->ShowBalloon(QStringLiteral("text"), QStringLiteral("title"), 1, false);
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 900 && elapsed < 10000, qPrintable(QString::number(elapsed)));

        QCOMPARE(t.log->size(), size_t(3));
        const NotifyIconData& clearing = t.log->back().data;
        QCOMPARE(t.log->back().message, int(NIM_MODIFY));
        QCOMPARE(clearing.uFlags, unsigned(NIF_INFO));
        QCOMPARE(clearing.uTimeout, 1000u);
        QCOMPARE(clearing.szInfo, padded(QString(), 255));
        QCOMPARE(clearing.szInfoTitle, padded(QString(), 63));
        QCOMPARE(clearing.hWnd, t.tray->windowHandle());
    }

    void trayClickDuringTheWaitIsHandled() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.shell->balloonEndCode = 1028;
        t.shell->balloonEndDelayMs = 300;
        int releasesDuringWait = 0;
        bool waiting = false;
        connect(t.tray.get(), &cSysTray::MouseUp, this,
                [&](int, int) { releasesDuringWait += waiting ? 1 : 0; });
        QTimer::singleShot(20, t.shell, [&] { emit t.shell->callback(0, 517); });
        waiting = true;
        t.tray->ShowBalloon(QStringLiteral("text"), QStringLiteral("title"), 20, false);
        waiting = false;
        QCOMPARE(releasesDuringWait, 1);
    }

    void zeroTimeoutReturnsAtOnceWithoutMilliseconds() {
        RecordedTray t;
        t.tray->setInTray(true);
        QElapsedTimer clock;
        clock.start();
        t.tray->ShowBalloon(QStringLiteral("text"), QStringLiteral("title"), 0, false);
        t.tray->ShowBalloon(QStringLiteral("text"), QStringLiteral("title"), -5, false);
        QVERIFY(clock.elapsed() < 900);
        QCOMPARE(t.log->size(), size_t(3));
        QCOMPARE((*t.log)[1].data.uTimeout, 0u);
        QCOMPARE((*t.log)[2].data.uTimeout, 0u);
    }

    void largestTimeoutThatFitsIsSent() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.shell->balloonEndCode = 1028;
        t.shell->balloonEndDelayMs = 0;
        t.tray->ShowBalloon(QStringLiteral("text"), QStringLiteral("title"), 2147483, false);
        QCOMPARE(t.log->back().data.uTimeout, 2147483000u);
    }

    void timeoutBeyondThirtyTwoBitsOverflows() {
        RecordedTray t;
        QVERIFY_THROWS_EXCEPTION(
            AppError, t.tray->ShowBalloon(QStringLiteral("text"), QStringLiteral("t"), 2147484, false));
        QVERIFY(t.log->empty());
        // The failed call did not use up the once-only balloon.
        t.tray->ShowBalloon(QStringLiteral("text"), QStringLiteral("t"), 0, true);
        QCOMPARE(t.log->size(), size_t(1));
    }
};

int runBalloonTests(int argc, char** argv) {
    TestBalloon tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace cw::test

#include "test_balloon.moc"
