// The hand pointer: Qt reads it, it shows a hand, and the header puts the hot spot on the fingertip.
#include "sidefiles.h"
#include "support/files.h"

#include <QImage>
#include <QImageReader>
#include <QTest>
#include <QtEndian>

class TestCursor : public QObject {
    Q_OBJECT
  private slots:
    void qtReadsTheCursorFormat();
    void pictureIsAHandWithTransparentSurroundings();
    void hotSpotIsOnTheFingertip();
};

namespace {

QImage cursorImage() {
    QImageReader reader(sideFile("HAND-M.CUR"), "cur");
    return reader.read();
}

} // namespace

void TestCursor::qtReadsTheCursorFormat() {
    QVERIFY(QImageReader::supportedImageFormats().contains("cur"));
    // Qt's ICO reader handles both; asked for "cur" or left to guess, it takes the file.
    QImageReader named(sideFile("HAND-M.CUR"), "cur");
    QVERIFY2(named.canRead(), qPrintable(named.errorString()));
    QImageReader guessed(sideFile("HAND-M.CUR"));
    QVERIFY2(guessed.canRead(), qPrintable(guessed.errorString()));
    QVERIFY(!guessed.read().isNull());
}

void TestCursor::pictureIsAHandWithTransparentSurroundings() {
    const QImage image = cursorImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(32, 32));
    int black = 0, white = 0, clear = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 0)
                ++clear;
            else if (qAlpha(pixel) == 255 && (pixel & 0xFFFFFF) == 0)
                ++black;
            else if (qAlpha(pixel) == 255 && (pixel & 0xFFFFFF) == 0xFFFFFF)
                ++white;
        }
    }
    // Only outline, fill and see-through pixels; a hand, not a blot or a speck.
    QCOMPARE(black + white + clear, 32 * 32);
    QVERIFY(white > 150 && black > 60 && clear > 600);
    QCOMPARE(qAlpha(image.pixel(31, 31)), 0);
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
}

void TestCursor::hotSpotIsOnTheFingertip() {
    const QByteArray header = cwtest::readBytes(sideFile("HAND-M.CUR")).left(22);
    QCOMPARE(header.size(), 22);
    const auto* bytes = reinterpret_cast<const uchar*>(header.constData());
    QCOMPARE(qFromLittleEndian<quint16>(bytes + 2), quint16(2)); // a cursor, not an icon
    QCOMPARE(qFromLittleEndian<quint16>(bytes + 4), quint16(1));
    const int hotX = qFromLittleEndian<quint16>(bytes + 10);
    const int hotY = qFromLittleEndian<quint16>(bytes + 12);

    // The fingertip is the topmost row that shows anything; the hot spot sits on it.
    const QImage image = cursorImage().convertToFormat(QImage::Format_ARGB32);
    int topRow = -1;
    for (int y = 0; y < image.height() && topRow < 0; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                topRow = y;
    QCOMPARE(hotY, topRow);
    QVERIFY(hotX >= 0 && hotX < 32);
    QCOMPARE(qAlpha(image.pixel(hotX, hotY)), 255);
    // Below the tip runs the finger: white fill between two outline columns.
    QCOMPARE(image.pixel(hotX, hotY + 2) & 0xFFFFFF, 0xFFFFFFu);
}

QTEST_MAIN(TestCursor)
#include "test_cursor.moc"
