#pragma once
// Where the build put the side files, and the test classes that read them.
#include <QObject>
#include <QString>

inline QString sideFile(const QString& name) {
    return qEnvironmentVariable("CANDLEWISE_PROGRAM_DIR") + u'/' + name;
}

class TestTune : public QObject {
    Q_OBJECT
  private slots:
    void isPcmMono16Bit22050();
    void lengthAndLevel();
    void startsAndEndsWithoutAClick();
    void opensOnConcertPitchG();
};

class TestCursor : public QObject {
    Q_OBJECT
  private slots:
    void qtReadsTheCursorFormat();
    void pictureIsAHandWithTransparentSurroundings();
    void hotSpotIsOnTheFingertip();
};

class TestSkin : public QObject {
    Q_OBJECT
  private slots:
    void parsesWithoutWarnings();
    void keepsFontsAndWhiteLabel();
    void styleTheWindowAndList();
};
