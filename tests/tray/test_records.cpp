// The exact records the control hands to the shell.
#include "tray/traytests.h"

#include "tray/programicon.h"

#include <QTest>

namespace cw::test {

namespace {

void verifyNoBalloon(const NotifyIconData& data) {
    QVERIFY(data.szInfo.isEmpty());
    QVERIFY(data.szInfoTitle.isEmpty());
    QCOMPARE(data.uTimeout, 0u);
}

void verifyUnsetState(const NotifyIconData& data, quintptr window) {
    QCOMPARE(data.cbSize, 488u);
    QCOMPARE(data.hWnd, window);
    QCOMPARE(data.uID, 0u);
    QCOMPARE(data.dwState, 0u);
    QCOMPARE(data.dwStateMask, 0u);
    QCOMPARE(data.dwInfoFlags, 0u);
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT
  private slots:
    void addCarriesIconTipAndCallbackMessage() {
        RecordedTray t;
        const QIcon icon = programIcon();
        t.tray->setTrayIcon(icon);
        t.tray->setTrayTip(QStringLiteral("Candlewise Software"));
        QVERIFY(t.log->empty());
        t.tray->setInTray(true);

        QCOMPARE(t.log->size(), size_t(1));
        const ShellCall& add = t.log->front();
        QCOMPARE(add.message, int(NIM_ADD));
        QVERIFY(t.tray->windowHandle() != 0);
        verifyUnsetState(add.data, t.tray->windowHandle());
        QCOMPARE(add.data.uFlags, unsigned(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        QCOMPARE(add.data.uCallbackMessage, 1125u);
        QCOMPARE(add.data.hIcon.cacheKey(), icon.cacheKey());
        QCOMPARE(add.data.szTip, padded(QStringLiteral("Candlewise Software"), 128 - 20));
        verifyNoBalloon(add.data);
    }

    void modifyOfTipCarriesOnlyTheTip() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.tray->setTrayTip(QStringLiteral("Hello"));
        QCOMPARE(t.log->size(), size_t(2));
        const ShellCall& modify = t.log->back();
        QCOMPARE(modify.message, int(NIM_MODIFY));
        verifyUnsetState(modify.data, t.tray->windowHandle());
        QCOMPARE(modify.data.uFlags, unsigned(NIF_TIP));
        QCOMPARE(modify.data.uCallbackMessage, 0u);
        QVERIFY(modify.data.hIcon.isNull());
        QCOMPARE(modify.data.szTip, padded(QStringLiteral("Hello"), 122));
        verifyNoBalloon(modify.data);
    }

    void modifyOfIconCarriesOnlyTheIcon() {
        RecordedTray t;
        t.tray->setInTray(true);
        const QIcon icon = programIcon();
        t.tray->setTrayIcon(icon);
        QCOMPARE(t.log->size(), size_t(2));
        const ShellCall& modify = t.log->back();
        QCOMPARE(modify.message, int(NIM_MODIFY));
        verifyUnsetState(modify.data, t.tray->windowHandle());
        QCOMPARE(modify.data.uFlags, unsigned(NIF_ICON));
        QCOMPARE(modify.data.uCallbackMessage, 0u);
        QCOMPARE(modify.data.hIcon.cacheKey(), icon.cacheKey());
        QVERIFY(modify.data.szTip.isEmpty());
        QCOMPARE(t.tray->TrayIcon().cacheKey(), icon.cacheKey());
    }

    void deleteNamesOnlyTheWindowAndIdentifier() {
        RecordedTray t;
        t.tray->setTrayTip(QStringLiteral("Tip"));
        t.tray->setTrayIcon(programIcon());
        t.tray->setInTray(true);
        t.tray->setInTray(false);
        QCOMPARE(t.log->size(), size_t(2));
        const ShellCall& remove = t.log->back();
        QCOMPARE(remove.message, int(NIM_DELETE));
        verifyUnsetState(remove.data, t.tray->windowHandle());
        QCOMPARE(remove.data.uFlags, 0u);
        QCOMPARE(remove.data.uCallbackMessage, 0u);
        QVERIFY(remove.data.hIcon.isNull());
        QVERIFY(remove.data.szTip.isEmpty());
        verifyNoBalloon(remove.data);
    }

    void balloonCarriesTitleTextAndMilliseconds() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.tray->ShowBalloon(QStringLiteral("Text"), QStringLiteral("Title"), 0, false);
        t.shell->balloonEndCode = 1028;
        t.shell->balloonEndDelayMs = 0;
        t.tray->ShowBalloon(QStringLiteral("Text"), QStringLiteral("Title"), 7, false);
        QCOMPARE(t.log->size(), size_t(3));
        for (size_t i : {size_t(1), size_t(2)}) {
            const ShellCall& balloon = (*t.log)[i];
            QCOMPARE(balloon.message, int(NIM_MODIFY));
            verifyUnsetState(balloon.data, t.tray->windowHandle());
            QCOMPARE(balloon.data.uFlags, unsigned(NIF_INFO));
            QCOMPARE(balloon.data.uCallbackMessage, 0u);
            QVERIFY(balloon.data.szTip.isEmpty());
            QVERIFY(balloon.data.hIcon.isNull());
            QCOMPARE(balloon.data.szInfoTitle, padded(QStringLiteral("Title"), 58));
            QCOMPARE(balloon.data.szInfo, padded(QStringLiteral("Text"), 251));
        }
        QCOMPARE((*t.log)[1].data.uTimeout, 0u);
        QCOMPARE((*t.log)[2].data.uTimeout, 7000u);
    }

    void textsAreCutToLeaveRoomForTheNul() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.tray->setTrayTip(QString(127, u't'));
        t.tray->setTrayTip(QString(128, u't'));
        t.tray->setTrayTip(QString(500, u't'));
        t.tray->ShowBalloon(QString(300, u'x'), QString(100, u'y'), 0, false);
        t.tray->ShowBalloon(QString(255, u'x'), QString(63, u'y'), 0, false);

        const QString fullTip = QString(127, u't') + QChar(u'\0');
        QCOMPARE((*t.log)[1].data.szTip, fullTip);
        QCOMPARE((*t.log)[2].data.szTip, fullTip);
        QCOMPARE((*t.log)[3].data.szTip, fullTip);
        for (size_t i : {size_t(4), size_t(5)}) {
            QCOMPARE((*t.log)[i].data.szInfo, QString(255, u'x') + QChar(u'\0'));
            QCOMPARE((*t.log)[i].data.szInfoTitle, QString(63, u'y') + QChar(u'\0'));
        }
        // The control keeps the whole tip; only the record is cut.
        QCOMPARE(t.tray->TrayTip().size(), 500);
    }

    void emptyTipAndNoIconAddOnlyTheMessage() {
        RecordedTray t;
        t.tray->setTrayTip(QString());
        t.tray->setInTray(true);
        QCOMPARE(t.log->size(), size_t(1));
        QCOMPARE(t.log->front().data.uFlags, unsigned(NIF_MESSAGE));
        QVERIFY(t.log->front().data.szTip.isEmpty());
        QVERIFY(t.log->front().data.hIcon.isNull());
        QCOMPARE(t.log->front().data.uCallbackMessage, 1125u);
    }

    void eachControlHasItsOwnWindow() {
        RecordedTray first;
        RecordedTray second;
        QVERIFY(first.tray->windowHandle() != second.tray->windowHandle());
        QCOMPARE(first.tray->windowHandle(), first.tray->windowHandle());
    }
};

int runRecordTests(int argc, char** argv) {
    TestRecords tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace cw::test

#include "test_records.moc"
