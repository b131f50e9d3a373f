// The tray control: its records to the shell, switching, the balloon and the shell's reports.
#include "gui/tray/recordingtrayshell.h"

#include "core/apperror.h"
#include "gui/tray/programicon.h"

#include <QElapsedTimer>
#include <QTest>

namespace cw::test {

namespace {

// The parts every record must get right: its frame, and only the fields its flags name.
void verifyRecord(const RecordedTray& t, size_t index, int message, unsigned flags) {
    QVERIFY(index < t.log->size());
    const ShellCall& call = (*t.log)[index];
    QCOMPARE(call.message, message);
    QCOMPARE(call.data.cbSize, 488u);
    QCOMPARE(call.data.hWnd, t.tray->windowHandle());
    QCOMPARE(call.data.uID, 0u);
    QCOMPARE(call.data.uFlags, flags);
    QCOMPARE(call.data.uCallbackMessage, message == NIM_ADD ? 1125u : 0u);
    QCOMPARE(call.data.hIcon.isNull(), !(flags & NIF_ICON));
    QCOMPARE(call.data.szTip.isEmpty(), !(flags & NIF_TIP));
    QCOMPARE(call.data.szInfo.isEmpty() && call.data.szInfoTitle.isEmpty(), !(flags & NIF_INFO));
    QCOMPARE(call.data.dwState + call.data.dwStateMask + call.data.dwInfoFlags, 0u);
}

// Every event of the control, in the order raised.
struct EventRecorder : QObject {
    QStringList events;
    explicit EventRecorder(cSysTray& tray) {
        connect(&tray, &cSysTray::MouseMove, this, [this](int id) { events << QString("Move %1").arg(id); });
        auto add = [this](const QString& name) {
            return [this, name](int button, int id) {
                events << QString("%1 %2 %3").arg(name).arg(button).arg(id);
            };
        };
        connect(&tray, &cSysTray::MouseDown, this, add("Down"));
        connect(&tray, &cSysTray::MouseUp, this, add("Up"));
        connect(&tray, &cSysTray::MouseDblClick, this, add("Dbl"));
    }
};

} // namespace

class TestControl : public QObject {
    Q_OBJECT
  private slots:
    void recordsOfAddModifyBalloonAndDelete() {
        RecordedTray t;
        const QIcon icon = programIcon();
        t.tray->setTrayIcon(icon);
        t.tray->setTrayTip("Candlewise Software");
        QVERIFY(t.log->empty()); // out of the tray nothing reaches the shell
        t.tray->setInTray(true);
        verifyRecord(t, 0, NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
        QCOMPARE(t.last().szTip, padded("Candlewise Software", 128));
        QCOMPARE(t.last().hIcon.cacheKey(), icon.cacheKey());

        t.tray->setTrayTip("Hello");
        verifyRecord(t, 1, NIM_MODIFY, NIF_TIP);
        QCOMPARE(t.last().szTip, padded("Hello", 128));
        t.tray->setTrayIcon(icon);
        verifyRecord(t, 2, NIM_MODIFY, NIF_ICON);
        t.tray->ShowBalloon("Text", "Title", 0, false);
        verifyRecord(t, 3, NIM_MODIFY, NIF_INFO);
        QCOMPARE(t.last().szInfo, padded("Text", 256));
        QCOMPARE(t.last().szInfoTitle, padded("Title", 64));
        QCOMPARE(t.last().uTimeout, 0u);
        t.tray->setInTray(false);
        verifyRecord(t, 4, NIM_DELETE, 0);
        QCOMPARE(t.log->size(), size_t(5));
    }

    void textsAreCutToLeaveRoomForTheNul() {
        RecordedTray t;
        t.tray->setInTray(true);
        for (int length : {127, 128, 500}) {
            t.tray->setTrayTip(QString(length, u't'));
            QCOMPARE(t.last().szTip, QString(127, u't') + QChar(u'\0'));
        }
        t.tray->ShowBalloon(QString(256, u'x'), QString(64, u'y'), 0, false);
        QCOMPARE(t.last().szInfo, QString(255, u'x') + QChar(u'\0'));
        QCOMPARE(t.last().szInfoTitle, QString(63, u'y') + QChar(u'\0'));
        QCOMPARE(t.tray->TrayTip().size(), 500); // only the record is cut
    }

    void switchingSendsOnlyOnChange() {
        RecordedTray t;
        t.tray->setInTray(false);
        QVERIFY(t.log->empty());
        t.tray->setInTray(true);
        t.tray->setInTray(true);
        verifyRecord(t, 0, NIM_ADD, NIF_MESSAGE); // no tip and no icon: neither is named
        QCOMPARE(t.log->size(), size_t(1));
        t.shell->result = false; // a failed call changes nothing in the control
        t.tray->setInTray(false);
        t.tray->setInTray(true);
        QCOMPARE(t.log->size(), size_t(3));
        const quintptr window = t.tray->windowHandle();
        t.tray.reset(); // destroyed in the tray: the icon goes
        QCOMPARE(t.log->size(), size_t(4));
        QCOMPARE(t.log->back().message, int(NIM_DELETE));
        QCOMPARE(t.log->back().data.hWnd, window);
    }

    void onlyIconPicturesAreTaken_data() {
        QTest::addColumn<TrayPicture>("picture");
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::red);
        QTest::newRow("none") << TrayPicture();
        QTest::newRow("null icon") << TrayPicture::fromIcon(QIcon());
        QTest::newRow("bitmap") << TrayPicture::bitmap(QIcon(pixmap));
        QTest::newRow("metafile") << TrayPicture::metafile(QIcon(pixmap));
    }
    void onlyIconPicturesAreTaken() {
        QFETCH(TrayPicture, picture);
        RecordedTray t;
        const QIcon kept = programIcon();
        t.tray->setTrayIcon(kept);
        t.tray->setInTray(true);
        t.tray->setTrayIcon(picture);
        QVERIFY(t.tray->setProperty("TrayIcon", QIcon()));
        QCOMPARE(t.log->size(), size_t(1));
        QCOMPARE(t.tray->TrayIcon().cacheKey(), kept.cacheKey());
    }

    void showOnceShowsTheFirstTimeOnly() {
        RecordedTray t;
        for (bool once : {true, true, false, true, false})
            t.tray->ShowBalloon("a", "t", 0, once);
        QCOMPARE(t.log->size(), size_t(3));
    }

    void waitEndsWithTheBalloon_data() {
        QTest::addColumn<int>("code");
        QTest::newRow("hidden") << 1027;
        QTest::newRow("timed out") << 1028;
        QTest::newRow("clicked") << 1029;
    }
    void waitEndsWithTheBalloon() {
        QFETCH(int, code);
        RecordedTray t;
        t.tray->setInTray(true);
        t.shell->balloonEndCode = code;
        t.tray->ShowBalloon("text", "title", 1, false);
        QTest::qWait(1200);
        QCOMPARE(t.log->size(), size_t(2)); // no clearing
        QCOMPARE(t.last().uTimeout, 1000u);
    }

    // No event loop runs inside the call, where a quit would be lost: a timer ends the balloon.
    void timeUpClearsTheBalloon() {
        RecordedTray t;
        t.tray->setInTray(true);
        QElapsedTimer clock;
        clock.start();
        t.tray->ShowBalloon("text", "title", 1, false);
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE(t.log->size(), size_t(3));
        QVERIFY2(clock.elapsed() >= 900, qPrintable(QString::number(clock.elapsed())));
        verifyRecord(t, 2, NIM_MODIFY, NIF_INFO);
        QCOMPARE(t.last().szInfo, padded("", 256));
        QCOMPARE(t.last().szInfoTitle, padded("", 64));
        QCOMPARE(t.last().uTimeout, 1000u);
    }

    void timeoutMustFitThirtyTwoBits() {
        RecordedTray t;
        QVERIFY_THROWS_EXCEPTION(AppError, t.tray->ShowBalloon("text", "t", 2147484, true));
        QVERIFY(t.log->empty());
        t.tray->setInTray(true);
        t.shell->balloonEndCode = 1028;
        t.shell->balloonEndDelayMs = 0;
        t.tray->ShowBalloon("text", "t", 2147483, true); // the failed call used up nothing
        QCOMPARE(t.last().uTimeout, 2147483000u);
    }

    void reportsRaiseEvents_data() {
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("move") << QList<int>{512} << QStringList{"Move 7"};
        QTest::newRow("left click") << QList<int>{513, 514} << QStringList{"Down 1 7", "Up 1 7"};
        QTest::newRow("right click") << QList<int>{516, 517} << QStringList{"Down 2 7", "Up 2 7"};
        QTest::newRow("left double") << QList<int>{513, 514, 515, 514}
                                     << QStringList{"Down 1 7", "Up 1 7", "Dbl 1 7", "Up 1 7"};
        QTest::newRow("right double") << QList<int>{518} << QStringList{"Dbl 2 7"};
        QTest::newRow("middle") << QList<int>{519, 520, 521} << QStringList{};
        QTest::newRow("balloon and other") << QList<int>{1027, 1028, 1029, 1024} << QStringList{};
    }
    void reportsRaiseEvents() {
        QFETCH(QList<int>, codes);
        QFETCH(QStringList, events);
        RecordedTray t;
        EventRecorder recorder(*t.tray);
        t.tray->setInTray(true);
        for (int code : codes)
            emit t.shell->callback(7, code);
        QCOMPARE(recorder.events, events);
    }

    void noEventsOutOfTheTray() {
        RecordedTray t;
        EventRecorder recorder(*t.tray);
        emit t.shell->callback(0, 514);
        t.tray->setInTray(true);
        t.tray->setInTray(false);
        emit t.shell->callback(0, 514);
        t.tray->setInTray(true); // hooked again, but once
        emit t.shell->callback(0, 517);
        QCOMPARE(recorder.events, QStringList{"Up 2 0"});
    }
};

} // namespace cw::test

QTEST_MAIN(cw::test::TestControl)
#include "test_control.moc"
