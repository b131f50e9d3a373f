// The shell's (identifier, code) reports and the events they raise.
#include "tray/traytests.h"

#include <QSignalSpy>
#include <QTest>

namespace cw::test {

namespace {

// Every event of the control, in the order raised, as "Name(arguments)".
class EventLog : public QObject {
  public:
    explicit EventLog(cSysTray& tray) {
        connect(&tray, &cSysTray::MouseMove, this,
                [this](int id) { add(QStringLiteral("MouseMove(%1)").arg(id)); });
        connect(&tray, &cSysTray::MouseDown, this,
                [this](int button, int id) { add(QStringLiteral("MouseDown(%1,%2)").arg(button).arg(id)); });
        connect(&tray, &cSysTray::MouseUp, this,
                [this](int button, int id) { add(QStringLiteral("MouseUp(%1,%2)").arg(button).arg(id)); });
        connect(&tray, &cSysTray::MouseDblClick, this, [this](int button, int id) {
            add(QStringLiteral("MouseDblClick(%1,%2)").arg(button).arg(id));
        });
    }
    QStringList events;

  private:
    void add(const QString& event) { events.append(event); }
};

} // namespace

class TestReports : public QObject {
    Q_OBJECT
  private slots:
    void codeRaisesItsEvent_data() {
        QTest::addColumn<int>("identifier");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("move") << 0 << 512 << QStringList{"MouseMove(0)"};
        QTest::newRow("left down") << 0 << 513 << QStringList{"MouseDown(1,0)"};
        QTest::newRow("left up") << 0 << 514 << QStringList{"MouseUp(1,0)"};
        QTest::newRow("left double") << 0 << 515 << QStringList{"MouseDblClick(1,0)"};
        QTest::newRow("right down") << 0 << 516 << QStringList{"MouseDown(2,0)"};
        QTest::newRow("right up") << 0 << 517 << QStringList{"MouseUp(2,0)"};
        QTest::newRow("right double") << 0 << 518 << QStringList{"MouseDblClick(2,0)"};
        QTest::newRow("identifier passed on") << 9 << 517 << QStringList{"MouseUp(2,9)"};
        QTest::newRow("middle down") << 0 << 519 << QStringList{};
        QTest::newRow("middle up") << 0 << 520 << QStringList{};
        QTest::newRow("middle double") << 0 << 521 << QStringList{};
        QTest::newRow("balloon hidden") << 0 << 1027 << QStringList{};
        QTest::newRow("balloon timed out") << 0 << 1028 << QStringList{};
        QTest::newRow("balloon clicked") << 0 << 1029 << QStringList{};
        QTest::newRow("other") << 0 << 1024 << QStringList{};
    }

    void codeRaisesItsEvent() {
        QFETCH(int, identifier);
        QFETCH(int, code);
        QFETCH(QStringList, expected);
        RecordedTray t;
        EventLog log(*t.tray);
        t.tray->setInTray(true);
        emit t.shell->callback(identifier, code);
        QCOMPARE(log.events, expected);
    }

    void doubleClickRaisesEventsInReportOrder() {
        RecordedTray t;
        EventLog log(*t.tray);
        t.tray->setInTray(true);
        for (int code : {513, 514, 515, 514})
            emit t.shell->callback(0, code);
        QCOMPARE(log.events,
                 QStringList({"MouseDown(1,0)", "MouseUp(1,0)", "MouseDblClick(1,0)", "MouseUp(1,0)"}));
    }

    void oneReleaseRaisesOneMouseUp() {
        RecordedTray t;
        QSignalSpy up(t.tray.get(), &cSysTray::MouseUp);
        t.tray->setInTray(true);
        t.tray->setInTray(false);
        t.tray->setInTray(true); // a second hook must not double the reports
        emit t.shell->callback(0, 514);
        QCOMPARE(up.count(), 1);
    }

    void noEventsOutOfTheTray() {
        RecordedTray t;
        EventLog log(*t.tray);
        emit t.shell->callback(0, 514);
        t.tray->setInTray(true);
        t.tray->setInTray(false);
        for (int code : {512, 513, 514, 515, 516, 517, 518})
            emit t.shell->callback(0, code);
        QVERIFY(log.events.isEmpty());
    }
};

int runReportTests(int argc, char** argv) {
    TestReports tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace cw::test

#include "test_reports.moc"
