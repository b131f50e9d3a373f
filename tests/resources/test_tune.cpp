// The alert tune: a plain wave file the player can open, of a sensible length and level.
#include "sidefiles.h"
#include "support/files.h"

#include <QTest>
#include <QtEndian>

#include <cmath>
#include <cstdlib>
#include <vector>

class TestTune : public QObject {
    Q_OBJECT
  private slots:
    void isPcmMono16Bit22050();
    void lengthAndLevel();
    void startsAndEndsWithoutAClick();
    void opensOnConcertPitchG();
};

namespace {

struct Wave {
    quint16 format = 0;
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint16 bitsPerSample = 0;
    std::vector<qint16> samples;
};

// Walks the RIFF chunks rather than assuming fixed offsets.
Wave readWave(const QString& path) {
    Wave wave;
    const QByteArray bytes = cwtest::readBytes(path);
    if (bytes.size() < 12 || bytes.left(4) != "RIFF" || bytes.mid(8, 4) != "WAVE")
        return wave;
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(data + at + 4);
        const qsizetype body = at + 8;
        if (body + qsizetype(size) > bytes.size())
            break;
        if (id == "fmt " && size >= 16) {
            wave.format = qFromLittleEndian<quint16>(data + body);
            wave.channels = qFromLittleEndian<quint16>(data + body + 2);
            wave.sampleRate = qFromLittleEndian<quint32>(data + body + 4);
            wave.bitsPerSample = qFromLittleEndian<quint16>(data + body + 14);
        } else if (id == "data") {
            for (quint32 i = 0; i + 1 < size; i += 2)
                wave.samples.push_back(qFromLittleEndian<qint16>(data + body + i));
        }
        at = body + size + (size & 1);
    }
    return wave;
}

const Wave& tune() {
    static const Wave wave = readWave(sideFile("happybirthday.wav"));
    return wave;
}

} // namespace

void TestTune::isPcmMono16Bit22050() {
    QCOMPARE(tune().format, quint16(1));
    QCOMPARE(tune().channels, quint16(1));
    QCOMPARE(tune().sampleRate, quint32(22050));
    QCOMPARE(tune().bitsPerSample, quint16(16));
}

void TestTune::lengthAndLevel() {
    const double seconds = double(tune().samples.size()) / 22050.0;
    QVERIFY2(seconds > 13.0 && seconds < 17.0, qPrintable(QString::number(seconds)));
    int peak = 0;
    for (qint16 sample : tune().samples)
        peak = std::max(peak, std::abs(int(sample)));
    // Loud enough to be heard, with headroom so nothing clips.
    QVERIFY2(peak > 16000 && peak < 32000, qPrintable(QString::number(peak)));
}

void TestTune::startsAndEndsWithoutAClick() {
    const auto& samples = tune().samples;
    QVERIFY(samples.size() > 1000);
    QVERIFY(std::abs(int(samples.front())) < 64);
    QVERIFY(std::abs(int(samples.back())) < 64);
    // Between notes the wave never jumps: a step this large would be heard as a click.
    int largestStep = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        largestStep = std::max(largestStep, std::abs(int(samples[i]) - int(samples[i - 1])));
    QVERIFY2(largestStep < 12000, qPrintable(QString::number(largestStep)));
}

void TestTune::opensOnConcertPitchG() {
    // The melody opens on G4 (392 Hz); the period is the lag where the wave best matches itself.
    const auto& samples = tune().samples;
    const int start = 22050 * 3 / 100;
    const int length = 22050 / 10;
    QVERIFY(samples.size() > std::size_t(start + 2 * length));
    int bestLag = 0;
    double best = 0.0;
    for (int lag = 22050 / 1000; lag <= 22050 / 200; ++lag) {
        double sum = 0.0;
        for (int i = start; i < start + length; ++i)
            sum += double(samples[i]) * samples[i + lag];
        if (sum > best) {
            best = sum;
            bestLag = lag;
        }
    }
    QVERIFY(bestLag > 0);
    const double frequency = 22050.0 / bestLag;
    QVERIFY2(std::abs(frequency - 392.0) < 6.0, qPrintable(QString::number(frequency)));
}

QTEST_MAIN(TestTune)
#include "test_tune.moc"
