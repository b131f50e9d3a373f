// The shell over QSystemTrayIcon: records applied to the icon, its signals reported as codes.
#include "gui/tray/recordingtrayshell.h"

#include "gui/tray/programicon.h"
#include "gui/tray/qttrayshell.h"
#include "support/shown.h"

#include <QSignalSpy>
#include <QTest>

namespace cw::test {

namespace {
QList<int> codesOf(const QSignalSpy& spy) {
    QList<int> codes;
    for (const QList<QVariant>& report : spy)
        codes << report.at(0).toInt() * 10000 + report.at(1).toInt();
    return codes;
}

NotifyIconData record(unsigned flags, const QString& tip = {}, const QString& text = {}) {
    NotifyIconData data;
    data.uFlags = flags;
    data.hIcon = programIcon();
    data.szTip = fixedWidthField(tip, tipFieldWidth);
    data.szInfo = fixedWidthField(text, infoFieldWidth);
    data.szInfoTitle = fixedWidthField("title", infoTitleFieldWidth);
    data.uTimeout = 200;
    return data;
}
} // namespace

class TestQtTrayShell : public QObject {
    Q_OBJECT
  private slots:
    void activationIsReportedAsMouseCodes_data() {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("left click") << QSystemTrayIcon::Trigger << QList<int>{513, 514};
        QTest::newRow("right click") << QSystemTrayIcon::Context << QList<int>{516, 517};
        QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << QList<int>{515};
        QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << QList<int>{};
    }
    void activationIsReportedAsMouseCodes() {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(QList<int>, codes);
        QtTrayShell shell;
        QSignalSpy reports(&shell, &TrayShell::callback);
        emit shell.trayIcon().activated(reason);
        QCOMPARE(codesOf(reports), codes);
    }

    void recordsReachTheIcon() {
        QtTrayShell shell;
        shell.notifyIcon(NIM_ADD, record(NIF_MESSAGE | NIF_ICON, "not named"));
        QVERIFY(shell.trayIcon().toolTip().isEmpty());
        QVERIFY(!shell.trayIcon().icon().isNull());
        QVERIFY(shell.trayIcon().isVisible());
        shell.notifyIcon(NIM_MODIFY, record(NIF_TIP, "Candlewise Software"));
        QCOMPARE(shell.trayIcon().toolTip(), QString("Candlewise Software"));
        shell.notifyIcon(NIM_DELETE, NotifyIconData());
        QVERIFY(!shell.trayIcon().isVisible());
    }

    // A tooltip is shown by a label that takes markup-like text for rich text.
    void tipShowsNamesAsTyped_data() { cwtest::addMarkupLikeNames(); }
    void tipShowsNamesAsTyped() {
        QFETCH(QString, name);
        QtTrayShell shell;
        shell.notifyIcon(NIM_ADD, record(NIF_MESSAGE | NIF_ICON | NIF_TIP, name));
        QCOMPARE(cwtest::shownText(shell.trayIcon().toolTip()), name);
    }

    void balloonEndIsReportedAfterTheCall() {
        QtTrayShell shell;
        shell.notifyIcon(NIM_ADD, record(NIF_MESSAGE | NIF_ICON));
        QSignalSpy reports(&shell, &TrayShell::callback);
        emit shell.trayIcon().messageClicked(); // no balloon, no report
        shell.notifyIcon(NIM_MODIFY, record(NIF_INFO, {}, "text"));
        QCOMPARE(reports.count(), 0);
        if (shell.supportsMessages()) {
            emit shell.trayIcon().messageClicked();
            shell.notifyIcon(NIM_MODIFY, record(NIF_INFO, {}, "again"));
            QVERIFY(reports.wait(5000));
            QCOMPARE(codesOf(reports), QList<int>({1029, 1028}));
        } else {
            QVERIFY(reports.wait(5000));
            QCOMPARE(codesOf(reports), QList<int>{1027}); // nothing can be shown: gone at once
        }
    }

    void controlOverTheRealShellHearsARightClick() {
        auto owned = createSystemTrayShell();
        auto& icon = static_cast<QtTrayShell&>(*owned).trayIcon();
        cSysTray tray(std::move(owned));
        QSignalSpy up(&tray, &cSysTray::MouseUp);
        tray.setTrayIcon(programIcon());
        tray.setInTray(true);
        emit icon.activated(QSystemTrayIcon::Context);
        QCOMPARE(up.count(), 1);
        QCOMPARE(up.at(0).at(0).toInt(), 2);
    }
};

} // namespace cw::test

QTEST_MAIN(cw::test::TestQtTrayShell)
#include "test_qttrayshell.moc"
