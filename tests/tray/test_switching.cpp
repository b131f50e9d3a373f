// Switching into and out of the tray, and which property writes reach the shell.
#include "tray/traytests.h"

#include "tray/programicon.h"

#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

namespace cw::test {

class TestSwitching : public QObject {
    Q_OBJECT
  private slots:
    void inTrayTwiceAddsOnce() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.tray->setInTray(true);
        QCOMPARE(t.log->size(), size_t(1));
        QCOMPARE(t.log->front().message, int(NIM_ADD));
        QVERIFY(t.tray->InTray());
    }

    void outOfTrayWhenAlreadyOutSendsNothing() {
        RecordedTray t;
        QSignalSpy changed(t.tray.get(), &cSysTray::PropertyChanged);
        t.tray->setInTray(false);
        QVERIFY(t.log->empty());
        QCOMPARE(changed.count(), 0);
        QVERIFY(!t.tray->InTray());
    }

    void outAndInAgainDeletesThenAdds() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.tray->setInTray(false);
        t.tray->setInTray(true);
        QCOMPARE(t.log->size(), size_t(3));
        QCOMPARE((*t.log)[1].message, int(NIM_DELETE));
        QCOMPARE((*t.log)[2].message, int(NIM_ADD));
    }

    void tipOutOfTheTrayWaitsForTheAdd() {
        RecordedTray t;
        t.tray->setTrayTip(QStringLiteral("Candlewise Software"));
        QVERIFY(t.log->empty());
        QCOMPARE(t.tray->TrayTip(), QStringLiteral("Candlewise Software"));
        t.tray->setInTray(true);
        QCOMPARE(t.log->size(), size_t(1));
        QVERIFY(t.log->front().data.uFlags & NIF_TIP);
        QCOMPARE(t.log->front().data.szTip, padded(QStringLiteral("Candlewise Software"), 108));
    }

    void tipOfTheStandardTextProperty() {
        RecordedTray t;
        t.tray->setInTray(true);
        QVERIFY(t.tray->setProperty("Text", QStringLiteral("Via text")));
        QCOMPARE(t.tray->TrayTip(), QStringLiteral("Via text"));
        QCOMPARE(t.log->back().data.szTip, padded(QStringLiteral("Via text"), 119));
    }

    void pictureOtherThanAnIconIsIgnored_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("no picture") << int(TrayPicture::Kind::None);
        QTest::newRow("bitmap") << int(TrayPicture::Kind::Bitmap);
        QTest::newRow("metafile") << int(TrayPicture::Kind::Metafile);
        QTest::newRow("null icon") << int(TrayPicture::Kind::Icon);
    }

    void pictureOtherThanAnIconIsIgnored() {
        QFETCH(int, kind);
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::red);
        const QIcon image(pixmap);
        TrayPicture picture;
        switch (TrayPicture::Kind(kind)) {
        case TrayPicture::Kind::Bitmap:
            picture = TrayPicture::bitmap(image);
            break;
        case TrayPicture::Kind::Metafile:
            picture = TrayPicture::metafile(image);
            break;
        case TrayPicture::Kind::Icon:
            picture = TrayPicture::fromIcon(QIcon());
            break;
        case TrayPicture::Kind::None:
            break;
        }

        RecordedTray t;
        const QIcon kept = programIcon();
        t.tray->setTrayIcon(kept);
        t.tray->setInTray(true);
        QSignalSpy changed(t.tray.get(), &cSysTray::PropertyChanged);
        t.tray->setTrayIcon(picture);
        QCOMPARE(t.log->size(), size_t(1));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(t.tray->TrayIcon().cacheKey(), kept.cacheKey());
    }

    void nullIconThroughThePropertyIsIgnored() {
        RecordedTray t;
        t.tray->setInTray(true);
        QVERIFY(t.tray->setProperty("TrayIcon", QIcon()));
        QCOMPARE(t.log->size(), size_t(1));
        QVERIFY(t.tray->TrayIcon().isNull());
    }

    void failedAddStillCountsAsAdded() {
        RecordedTray t;
        t.shell->result = false;
        t.tray->setInTray(true);
        t.tray->setTrayTip(QStringLiteral("x"));
        t.tray->setInTray(false);
        QCOMPARE(t.log->size(), size_t(3));
        QCOMPARE((*t.log)[1].message, int(NIM_MODIFY));
        QCOMPARE((*t.log)[2].message, int(NIM_DELETE));
    }

    void destroyingInTheTrayRemovesTheIcon() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.tray.reset();
        QCOMPARE(t.log->size(), size_t(2));
        QCOMPARE(t.log->back().message, int(NIM_DELETE));
    }

    void destroyingOutOfTheTraySendsNothing() {
        RecordedTray t;
        t.tray->setInTray(true);
        t.tray->setInTray(false);
        t.tray.reset();
        QCOMPARE(t.log->size(), size_t(2));
    }

    void switchingMarksInTrayChanged() {
        RecordedTray t;
        QSignalSpy changed(t.tray.get(), &cSysTray::PropertyChanged);
        t.tray->setInTray(true);
        t.tray->setInTray(false);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("InTray"));
    }
};

int runSwitchingTests(int argc, char** argv) {
    TestSwitching tests;
    return QTest::qExec(&tests, argc, argv);
}

} // namespace cw::test

#include "test_switching.moc"
