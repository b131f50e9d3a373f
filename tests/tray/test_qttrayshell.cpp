// The shell over QSystemTrayIcon: records applied to the icon, and its signals reported as codes.
#include "tray/traytests.h"

#include "tray/notifyrecord.h"
#include "tray/programicon.h"
#include "tray/qttrayshell.h"

#include <QSignalSpy>
#include <QTest>

namespace cw::test {

namespace {

QList<int> reportedCodes(const QSignalSpy& spy) {
    QList<int> codes;
    for (const QList<QVariant>& report : spy)
        codes.append(report.at(1).toInt());
    return codes;
}

NotifyIconData addRecord(const QString& tip) {
    NotifyIconData data;
    data.hWnd = 0x1234;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = trayCallbackMessage;
    data.hIcon = programIcon();
    data.szTip = fixedWidthField(tip, tipFieldWidth);
    return data;
}

} // namespace

class TestQtTrayShell : public QObject {
    Q_OBJECT
  private slots:
    void activationIsReportedAsMouseCodes_data() {
        QTest::addColumn<int>("reason");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("left click") << int(QSystemTrayIcon::Trigger) << QList<int>{513, 514};
        QTest::newRow("right click") << int(QSystemTrayIcon::Context) << QList<int>{516, 517};
        QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << QList<int>{515};
        QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << QList<int>{};
    }

    void activationIsReportedAsMouseCodes() {
        QFETCH(int, reason);
        QFETCH(QList<int>, codes);
        QtTrayShell shell;
        QSignalSpy reports(&shell, &TrayShell::callback);
        emit shell.trayIcon().activated(QSystemTrayIcon::ActivationReason(reason));
        QCOMPARE(reportedCodes(reports), codes);
        for (const QList<QVariant>& report : reports)
            QCOMPARE(report.at(0).toInt(), 0);
    }

    void addShowsTheIconWithTheTipUpToItsNul() {
        QtTrayShell shell;
        QVERIFY(shell.notifyIcon(NIM_ADD, addRecord(QStringLiteral("Candlewise Software"))));
        QCOMPARE(shell.trayIcon().toolTip(), QStringLiteral("Candlewise Software"));
        QVERIFY(!shell.trayIcon().icon().isNull());
        QVERIFY(shell.trayIcon().isVisible());

        NotifyIconData tip;
        tip.uFlags = NIF_TIP;
        tip.szTip = fixedWidthField(QStringLiteral("Other"), tipFieldWidth);
        shell.notifyIcon(NIM_MODIFY, tip);
        QCOMPARE(shell.trayIcon().toolTip(), QStringLiteral("Other"));

        shell.notifyIcon(NIM_DELETE, NotifyIconData());
        QVERIFY(!shell.trayIcon().isVisible());
    }

    void addWithoutTipLeavesNoTooltip() {
        QtTrayShell shell;
        NotifyIconData data = addRecord(QStringLiteral("ignored"));
        data.uFlags = NIF_MESSAGE | NIF_ICON;
        shell.notifyIcon(NIM_ADD, data);
        QVERIFY(shell.trayIcon().toolTip().isEmpty());
    }

    void balloonEndIsReportedAfterTheCall() {
        QtTrayShell shell;
        shell.notifyIcon(NIM_ADD, addRecord(QStringLiteral("tip")));
        QSignalSpy reports(&shell, &TrayShell::callback);
        NotifyIconData balloon;
        balloon.uFlags = NIF_INFO;
        balloon.szInfo = fixedWidthField(QStringLiteral("text"), infoFieldWidth);
        balloon.szInfoTitle = fixedWidthField(QStringLiteral("title"), infoTitleFieldWidth);
        balloon.uTimeout = 200;
        shell.notifyIcon(NIM_MODIFY, balloon);
        QCOMPARE(reports.count(), 0);
        QVERIFY(reports.wait(5000));
        // Where balloons can be shown, their time runs out; where not, the balloon is gone at once.
        QCOMPARE(reportedCodes(reports), QList<int>{shell.supportsMessages() ? 1028 : 1027});
    }

    void clickOnTheBalloonIsReportedOnlyWhileOneIsShown() {
        QtTrayShell shell;
        QSignalSpy reports(&shell, &TrayShell::callback);
        emit shell.trayIcon().messageClicked();
        QCOMPARE(reports.count(), 0);
        if (!shell.supportsMessages())
            QSKIP("this platform shows no balloons");
        shell.notifyIcon(NIM_ADD, addRecord(QStringLiteral("tip")));
        NotifyIconData balloon;
        balloon.uFlags = NIF_INFO;
        balloon.szInfo = fixedWidthField(QStringLiteral("text"), infoFieldWidth);
        balloon.uTimeout = 60000;
        shell.notifyIcon(NIM_MODIFY, balloon);
        emit shell.trayIcon().messageClicked();
        QCOMPARE(reportedCodes(reports), QList<int>{1029});
    }

    void controlOverTheRealShellRestoresOnRightClick() {
        auto owned = createSystemTrayShell();
        auto* shell = static_cast<QtTrayShell*>(owned.get());
        cSysTray tray(std::move(owned));
        QSignalSpy up(&tray, &cSysTray::MouseUp);
        tray.setTrayTip(QStringLiteral("Candlewise Software"));
        tray.setTrayIcon(programIcon());
        tray.setInTray(true);
        QCOMPARE(shell->trayIcon().toolTip(), QStringLiteral("Candlewise Software"));
        emit shell->trayIcon().activated(QSystemTrayIcon::Context);
        QCOMPARE(up.count(), 1);
        QCOMPARE(up.at(0).at(0).toInt(), 2);
        QCOMPARE(shell->isAvailable(), QSystemTrayIcon::isSystemTrayAvailable());
    }
};

int runQtTrayShellTests(int argc, char** argv) {
    TestQtTrayShell tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace cw::test

#include "test_qttrayshell.moc"
