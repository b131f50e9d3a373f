// The text-file service: decoding, line ends, reading failures and the all-or-nothing writer.
#include "core/apperror.h"
#include "formats/textfile.h"
#include "support/files.h"
#include "support/folders.h"
#include "support/permissions.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>

using namespace cw;
using cwtest::readBytes;
using cwtest::writeBytes;

class TestTextFile : public QObject {
    Q_OBJECT
  private slots:
    void decoding_data();
    void decoding();
    void lineEnds_data();
    void lineEnds();
    void readsFileLines();
    void readerGivesTheSameLinesInPieces_data();
    void readerGivesTheSameLinesInPieces();
    void lineWithoutEndIsReadOnlyInPart();
    void unreadableFiles();
    void writesUtf8WithCrLf();
    void uncommittedWriterLeavesTargetAlone();
    void writerInMissingFolderFails();
};

void TestTextFile::decoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("Arvel Quenby,April 13") << "Arvel Quenby,April 13";
    QTest::newRow("utf-8") << QByteArray("Jos\xC3\xA9 \xE5\xBC\xA0") << QString::fromUtf8("José 张");
    QTest::newRow("utf-8 with byte-order mark")
        << QByteArray("\xEF\xBB\xBFJos\xC3\xA9") << QString::fromUtf8("José");
    QTest::newRow("windows-1252") << QByteArray("Jos\xE9,March 3") << QString::fromUtf8("José,March 3");
    QTest::newRow("windows-1252 high controls")
        << QByteArray("\x80\x8A\x93\x94\x96\x9F") << QString::fromUtf8("€Š“”–Ÿ");
    QTest::newRow("windows-1252 unassigned bytes")
        << QByteArray("\x81\x8D\x8F\x90\x9D") << QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D");
    QTest::newRow("latin-1 upper half") << QByteArray("\xA0\xC0\xFF") << QString::fromUtf8("\u00A0Àÿ");
    QTest::newRow("overlong utf-8 is not utf-8") << QByteArray("\xC0\xAF") << QString::fromUtf8("À¯");
    QTest::newRow("cut utf-8 sequence at the end") << QByteArray("Jos\xC3") << QString::fromUtf8("JosÃ");
    QTest::newRow("mark then bad bytes") << QByteArray("\xEF\xBB\xBFJos\xE9") << QString::fromUtf8("José");
    QTest::newRow("only a mark") << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("only two marks") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF") << QString();
    QTest::newRow("two marks then windows-1252")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFJos\xE9") << QString::fromUtf8("José");
    QTest::newRow("mark inside stays") << QByteArray("a\xEF\xBB\xBF") << QString::fromUtf16(u"a\uFEFF");
    QTest::newRow("NUL byte kept") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\u0000b", 3);
}

void TestTextFile::decoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeText(bytes), text);
}

void TestTextFile::lineEnds_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("cr lf") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("last line without end") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("lf only") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("lone cr") << "a\rb\r" << QStringList{"a", "b"};
    QTest::newRow("mixed") << "a\nb\r\nc\rd" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("empty line kept") << "a\r\n\r\nb\r\n" << QStringList{"a", "", "b"};
    QTest::newRow("lf then cr lf") << "a\n\r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("two cr") << "a\r\rb" << QStringList{"a", "", "b"};
    QTest::newRow("empty text") << "" << QStringList{};
    QTest::newRow("one line end") << "\r\n" << QStringList{""};
    QTest::newRow("blanks kept") << " a \r\n" << QStringList{" a "};
}

void TestTextFile::lineEnds() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(splitLines(text), lines);
}

void TestTextFile::readsFileLines() {
    cwtest::Folders folders;
    const QString path = folders.path("in.txt");
    writeBytes(path, "\xEF\xBB\xBF"
                     "Jos\xC3\xA9,March 3\r\nNim,October 18\nLast,May 1");
    QCOMPARE(readTextLines(path),
             (QStringList{QString::fromUtf8("José,March 3"), "Nim,October 18", "Last,May 1"}));
}

void TestTextFile::readerGivesTheSameLinesInPieces_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("cr lf") << QByteArray("Arvel,April 13\r\nNim,October 18\r\n");
    QTest::newRow("mixed ends, empty lines") << QByteArray("a\r\n\r\nb\n\rc\r\rd\n\n");
    QTest::newRow("lone cr at the end") << QByteArray("a\rb\r");
    QTest::newRow("no end on the last line") << QByteArray("a\r\nlast");
    QTest::newRow("marks at the start and inside")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFJos\xC3\xA9\r\n\xEF\xBB\xBFx\r\n");
    QTest::newRow("utf-8 then a windows-1252 byte on the last line")
        << QByteArray("Jos\xC3\xA9\r\nNim\r\nZo\xEB,May 1");
    QTest::newRow("cut utf-8 sequence at the end") << QByteArray("a\r\nJos\xC3");
    QTest::newRow("windows-1252 with a mark") << QByteArray("\xEF\xBB\xBFJos\xE9\r\n\xEF\xBB\xBF");
    QTest::newRow("only two marks") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF");
    QTest::newRow("empty") << QByteArray();
}

// Read a few bytes at a time, a file gives the lines that reading it whole gives.
void TestTextFile::readerGivesTheSameLinesInPieces() {
    QFETCH(QByteArray, bytes);
    const QStringList whole = splitLines(decodeText(bytes));
    for (const qsizetype piece : {1, 2, 3, 5, 4096}) {
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        TextLineReader reader(buffer, QStringLiteral("buffer"), {}, piece);
        QCOMPARE(reader.lineCount(), whole.size());
        QStringList lines;
        QString line;
        while (reader.readLine(line))
            lines << line;
        QCOMPARE(lines, whole);
    }
}

namespace {
// A buffer that remembers how far it was ever read.
class FarthestRead : public QBuffer {
  public:
    using QBuffer::QBuffer;
    qint64 farthest = 0;

  protected:
    qint64 readData(char* data, qint64 size) override {
        const qint64 read = QBuffer::readData(data, size);
        farthest = std::max(farthest, pos() + read);
        return read;
    }
};
} // namespace

void TestTextFile::lineWithoutEndIsReadOnlyInPart() {
    QByteArray bytes = "Nim,October 18\r\n" + QByteArray(4 << 20, 'x');
    FarthestRead device(&bytes);
    QVERIFY(device.open(QIODevice::ReadOnly));
    constexpr qsizetype chunk = 4096;
    TextLineReader reader(device, QStringLiteral("device"), {}, chunk);
    QCOMPARE(reader.lineCount(), 2);
    QString line;
    QVERIFY(reader.readLine(line) && !reader.lineCut());
    QCOMPARE(line, QStringLiteral("Nim,October 18"));
    QVERIFY(reader.readLine(line) && reader.lineCut());
    QCOMPARE(line, QString(TextLineReader::maxLineBytes, QLatin1Char('x')));
    QVERIFY(!reader.readLine(line));
    QCOMPARE_LE(device.farthest, 16 + TextLineReader::maxLineBytes + chunk);
}

void TestTextFile::unreadableFiles() {
    cwtest::Folders folders;
    const QString missing = folders.path("missing.txt");
    try {
        readTextLines(missing);
        QFAIL("a missing file was read");
    } catch (const AppError& error) {
        QVERIFY2(error.description().contains(missing), qPrintable(error.description()));
    }
    QVERIFY(!QFileInfo::exists(missing)); // reading never creates
    QVERIFY_THROWS_EXCEPTION(AppError, readTextLines(folders.path("app")));

    const QString locked = folders.path("locked.txt");
    writeBytes(locked, "Nim,October 18\r\n");
    QVERIFY(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    cwtest::PermissionBitsApply unreadable;
    if (!unreadable.works())
        QSKIP("running as root without the right to drop CAP_DAC_OVERRIDE: a locked file stays readable");
    QVERIFY2(!QFile(locked).open(QIODevice::ReadOnly), "the locked file is still readable");
    QVERIFY_THROWS_EXCEPTION(AppError, readTextLines(locked));
}

void TestTextFile::writesUtf8WithCrLf() {
    cwtest::Folders folders;
    const QString path = folders.path("out.txt");
    writeBytes(path, QByteArray(10000, 'x')); // longer than what replaces it
    TextFileWriter writer(path);
    writer.writeLine(QString::fromUtf8("José,March 3"));
    writer.writeLine(QString());
    writer.writeLine(QStringLiteral("Nim,October 18"));
    QCOMPARE(readBytes(path), QByteArray(10000, 'x')); // nothing shows before the commit
    writer.commit();
    QCOMPARE(readBytes(path), QByteArray("Jos\xC3\xA9,March 3\r\n\r\nNim,October 18\r\n"));
    QCOMPARE(QDir(folders.path()).entryList({"out.txt*"}, QDir::Files), QStringList{"out.txt"});
}

void TestTextFile::uncommittedWriterLeavesTargetAlone() {
    cwtest::Folders folders;
    const QString path = folders.path("out.txt");
    writeBytes(path, "old\r\n");
    {
        TextFileWriter writer(path);
        for (int i = 0; i < 20000; ++i) // more than one buffer's worth reaches the temporary file
            writer.writeLine(QStringLiteral("Person %1,May 1").arg(i));
    }
    QCOMPARE(readBytes(path), QByteArray("old\r\n"));
    QCOMPARE(QDir(folders.path()).entryList(QDir::Files), QStringList{"out.txt"});
    {
        TextFileWriter writer(folders.path("new.txt"));
        writer.writeLine(QStringLiteral("x"));
    }
    QVERIFY(!QFileInfo::exists(folders.path("new.txt")));
}

void TestTextFile::writerInMissingFolderFails() {
    cwtest::Folders folders;
    const QString path = folders.path("nowhere/out.txt");
    try {
        TextFileWriter writer(path);
        QFAIL("a file was created in a missing folder");
    } catch (const AppError& error) {
        QVERIFY2(error.description().contains(path), qPrintable(error.description()));
    }
    QVERIFY(!QFileInfo::exists(folders.path("nowhere")));
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "test_textfile.moc"
