// Saving and loading the control's properties with the host's design, and the program icon.
#include "tray/traytests.h"

#include "tray/programicon.h"
#include "tray/propertybag.h"
#include "tray/traydesign.h"

#include <QImage>
#include <QPixmap>
#include <QTest>

namespace cw::test {

class TestPersistence : public QObject {
    Q_OBJECT
  private slots:
    void bagMatchesNamesWithoutCase() {
        PropertyBag bag;
        bag.WriteProperty(QStringLiteral("traytip"), QStringLiteral("one"));
        QCOMPARE(bag.ReadProperty(QStringLiteral("TrayTip")).toString(), QStringLiteral("one"));
        QCOMPARE(bag.ReadProperty(QStringLiteral("TRAYTIP")).toString(), QStringLiteral("one"));
        bag.WriteProperty(QStringLiteral("TrayTip"), QStringLiteral("two"));
        QCOMPARE(bag.names(), QStringList{QStringLiteral("traytip")});
        QCOMPARE(bag.ReadProperty(QStringLiteral("traytip")).toString(), QStringLiteral("two"));
        QCOMPARE(bag.ReadProperty(QStringLiteral("missing"), 5).toInt(), 5);
    }

    void readingAnEmptyBagGivesTheDefaults() {
        RecordedTray t;
        t.tray->ReadProperties(PropertyBag());
        QVERIFY(!t.tray->InTray());
        QCOMPARE(t.tray->TrayTip(), QStringLiteral("Telnet Server"));
        QCOMPARE(t.tray->TrayIcon().availableSizes(), designTimePicture().availableSizes());
        QVERIFY(t.tray->TrayIcon().availableSizes().contains(QSize(16, 16)));
        QVERIFY(t.log->empty());
    }

    void readingGoesInTrayThenIconThenTip() {
        RecordedTray t;
        PropertyBag bag;
        bag.WriteProperty(QStringLiteral("INTRAY"), true);
        bag.WriteProperty(QStringLiteral("trayIcon"), QVariant::fromValue(programIcon()));
        bag.WriteProperty(QStringLiteral("TrayTIP"), QStringLiteral("Hello"));
        t.tray->ReadProperties(bag);

        QVERIFY(t.tray->InTray());
        QCOMPARE(t.log->size(), size_t(3));
        QCOMPARE((*t.log)[0].message, int(NIM_ADD));
        QCOMPARE((*t.log)[0].data.uFlags, unsigned(NIF_MESSAGE));
        QCOMPARE((*t.log)[1].data.uFlags, unsigned(NIF_ICON));
        QCOMPARE((*t.log)[2].data.uFlags, unsigned(NIF_TIP));
        QCOMPARE((*t.log)[2].data.szTip, padded(QStringLiteral("Hello"), 122));
    }

    void storedBitmapIsNotTaken() {
        RecordedTray t;
        QPixmap bitmap(16, 16);
        bitmap.fill(Qt::green);
        PropertyBag bag;
        bag.WriteProperty(QStringLiteral("trayicon"), bitmap);
        t.tray->ReadProperties(bag);
        QVERIFY(t.tray->TrayIcon().isNull());
    }

    void writingStoresAllThreeEvenAtTheirDefaults() {
        RecordedTray t;
        t.tray->InitProperties();
        PropertyBag bag;
        t.tray->WriteProperties(bag);
        QCOMPARE(bag.names(), QStringList({"InTray", "TrayIcon", "TrayTip"}));
        QCOMPARE(bag.ReadProperty(QStringLiteral("intray"), true).toBool(), false);
        QCOMPARE(bag.ReadProperty(QStringLiteral("traytip")).toString(), QStringLiteral("Telnet Server"));
        QVERIFY(!bag.ReadProperty(QStringLiteral("trayicon")).value<QIcon>().isNull());

        RecordedTray copy;
        copy.tray->setTrayTip(QStringLiteral("other"));
        copy.tray->ReadProperties(bag);
        QCOMPARE(copy.tray->TrayTip(), QStringLiteral("Telnet Server"));
        QVERIFY(!copy.tray->TrayIcon().isNull());
    }

    void mainWindowDesignGivesTheBlueIconOutOfTheTray() {
        const PropertyBag design = storedTrayDesign();
        QCOMPARE(design.names(), QStringList({"_extentx", "_extenty", "intray", "trayicon", "traytip"}));
        RecordedTray t;
        t.tray->setInTray(true);
        applyStoredDesign(*t.tray);
        QVERIFY(!t.tray->InTray());
        QCOMPARE(t.tray->TrayTip(), QStringLiteral("Telnet Server"));
        QVERIFY(t.tray->TrayIcon().availableSizes().contains(QSize(16, 16)));
    }

    void programIconIsTheBlueM() {
        const QIcon icon = programIcon();
        const QImage small = icon.pixmap(QSize(16, 16)).toImage();
        QCOMPARE(small.size(), QSize(16, 16));
        QCOMPARE(small.pixelColor(0, 0), QColor(177, 255, 255));
        QCOMPARE(small.pixelColor(2, 2), QColor(7, 162, 254));
        QCOMPARE(small.pixelColor(1, 2), QColor(0, 0, 0));
        const QImage large = icon.pixmap(QSize(128, 128)).toImage();
        QCOMPARE(large.size(), QSize(128, 128));
        QCOMPARE(large.pixelColor(64, 64).rgb(), QColor(7, 162, 254).rgb());
    }
};

int runPersistenceTests(int argc, char** argv) {
    TestPersistence tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace cw::test

#include "test_persistence.moc"
