// The control's persisted properties, the main window's stored design and the program icon.
#include "gui/tray/recordingtrayshell.h"

#include "gui/tray/programicon.h"
#include "gui/tray/propertybag.h"
#include "gui/tray/traydesign.h"

#include <QTest>

namespace cw::test {

class TestDesign : public QObject {
    Q_OBJECT
  private slots:
    void emptyBagGivesTheDefaults() {
        RecordedTray t;
        t.tray->ReadProperties(PropertyBag());
        QVERIFY(!t.tray->InTray());
        QCOMPARE(t.tray->TrayTip(), QString("Telnet Server"));
        QCOMPARE(t.tray->TrayIcon().availableSizes(), designTimePicture().availableSizes());
        QVERIFY(t.log->empty());

        PropertyBag saved; // all three are written, even at their defaults
        t.tray->WriteProperties(saved);
        QCOMPARE(saved.names(), QStringList({"InTray", "TrayIcon", "TrayTip"}));
        QCOMPARE(saved.ReadProperty("intray", true).toBool(), false);
        QCOMPARE(saved.ReadProperty("traytip").toString(), QString("Telnet Server"));
        QVERIFY(!saved.ReadProperty("trayicon").value<QIcon>().isNull());
    }

    void readingGoesInTrayThenIconThenTip() {
        RecordedTray t;
        PropertyBag bag;
        bag.WriteProperty("INTRAY", true);
        bag.WriteProperty("trayIcon", QVariant::fromValue(programIcon()));
        bag.WriteProperty("TrayTIP", "Hello");
        t.tray->ReadProperties(bag);
        QCOMPARE(t.log->size(), size_t(3));
        QCOMPARE((*t.log)[0].message, int(NIM_ADD));
        QCOMPARE((*t.log)[0].data.uFlags, unsigned(NIF_MESSAGE));
        QCOMPARE((*t.log)[1].data.uFlags, unsigned(NIF_ICON));
        QCOMPARE((*t.log)[2].data.szTip, padded("Hello", 128));

        RecordedTray bitmapOnly;
        PropertyBag bitmap;
        bitmap.WriteProperty("trayicon", QPixmap(16, 16));
        bitmapOnly.tray->ReadProperties(bitmap);
        QVERIFY(bitmapOnly.tray->TrayIcon().isNull());
    }

    void mainWindowDesignIsTheBlueIconOutOfTheTray() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.tray->ReadProperties(storedTrayDesign());
        QVERIFY(!t.tray->InTray());
        QCOMPARE(t.tray->TrayTip(), QString("Telnet Server"));
        QVERIFY(t.tray->TrayIcon().availableSizes().contains(QSize(16, 16)));
        QVERIFY(storedTrayDesign().names().contains("_extentx"));
    }

    void programIconIsTheBlueM() {
        const QImage small = programIcon().pixmap(QSize(16, 16)).toImage();
        QCOMPARE(small.pixelColor(0, 0), QColor(177, 255, 255));
        QCOMPARE(small.pixelColor(1, 2), QColor(0, 0, 0));
        QCOMPARE(small.pixelColor(2, 2), QColor(7, 162, 254));
        const QImage large = programIcon().pixmap(QSize(128, 128)).toImage();
        QCOMPARE(large.size(), QSize(128, 128));
        QCOMPARE(large.pixelColor(64, 64).rgb(), QColor(7, 162, 254).rgb());
    }
};

} // namespace cw::test

QTEST_MAIN(cw::test::TestDesign)
#include "test_design.moc"
