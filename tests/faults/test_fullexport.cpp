// A disk that fills up while the list is exported as text or as a calendar: the export is reported
// with the system's reason, the file that was there stays as it was, no half-written file is left,
// and the next export works.
#include "faults.h"
#include "gui/mainwindow/fixture.h"

#include <QDir>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

using namespace cwtest;
using namespace faulttest;

namespace {

// Files of this process may not grow past a few kilobytes while the object lives: writes beyond
// that fail with EFBIG, as on a full disk, instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ok_ = getrlimit(RLIMIT_FSIZE, &saved_) == 0;
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ok_ = ok_ && setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

  private:
    rlimit saved_{};
    void (*previousHandler_)(int) = SIG_DFL;
    bool ok_ = false;
};

} // namespace

class TestFullExport : public QObject {
    Q_OBJECT
  private slots:
    void fullDiskLeavesTheOldFile_data();
    void fullDiskLeavesTheOldFile();
};

void TestFullExport::fullDiskLeavesTheOldFile_data() {
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("name");
    QTest::newRow("nothing fits") << 0 << "output.txt";
    QTest::newRow("a few lines fit") << 300 << "output.txt";
    QTest::newRow("most of the file fits") << 60000 << "output.txt";
    QTest::newRow("calendar, a few events fit") << 3000 << "output.ics";
}

void TestFullExport::fullDiskLeavesTheOldFile() {
    QFETCH(int, limit);
    QFETCH(QString, name);
    MainWindowFixture f(QDate(2026, 12, 30)); // no stored day is due
    QList<Birthday> rows;
    QByteArray expected;
    for (int month = 1; month <= 12; ++month)
        for (int i = 0; i < 250; ++i) {
            const int day = i % 28 + 1;
            rows << Birthday{QStringLiteral("Person %1-%2").arg(month).arg(i, 3, 10, QLatin1Char('0')), month,
                             day};
        }
    storeInOneGo(f, rows);
    f.start();
    QCOMPARE(f.form->ListView1->count(), rows.size());
    const QStringList people = f.column(1), months = f.column(5), days = f.column(3);
    for (qsizetype row = 0; row < people.size(); ++row)
        expected += (lineText({people[row], months[row].toInt(), days[row].toInt()}) + "\r\n").toUtf8();
    QVERIFY(expected.size() > limit + 4096); // the whole export cannot fit

    const QString target = f.sandbox.path("export/" + name);
    QDir().mkpath(f.sandbox.path("export"));
    const QByteArray previous = "Previous,May 1\r\n";
    writeBytes(target, previous);
    f.sandbox.fileDialogs->answers.push_back(target);
    {
        FileSizeLimit full(static_cast<rlim_t>(limit));
        QVERIFY(full.ok());
        f.form->PushButton9->click();
    }
    QCOMPARE(f.sandbox.messages->reportsAt("Form1.PushButton9_Click"), 1);
    QCOMPARE(f.errorReports(), 1);
    // Past the limit a write fails as on a full disk, with EFBIG instead of ENOSPC.
    const QString reason = QStringLiteral("Cannot write %1: %2\r\n")
                               .arg(name.endsWith(".ics") ? "the calendar" : '"' + target + '"',
                                    QString::fromLocal8Bit(std::strerror(EFBIG)));
    QVERIFY2(f.sandbox.messages->lastReport().contains(reason), qPrintable(f.sandbox.messages->lastReport()));
    QCOMPARE(f.sandbox.messages->texts().last(), QStringLiteral("Done."));
    QCOMPARE(readBytes(target), previous);
    QCOMPARE(QDir(f.sandbox.path("export")).entryList(QDir::Files | QDir::Hidden), QStringList{name});

    // With room again the same command writes the whole list.
    f.sandbox.fileDialogs->answers.push_back(target);
    f.form->PushButton9->click();
    QCOMPARE(f.errorReports(), 1);
    if (name.endsWith(".ics"))
        QCOMPARE(readBytes(target).count("BEGIN:VEVENT"), rows.size());
    else
        QCOMPARE(readBytes(target), expected);
}

QTEST_MAIN(TestFullExport)
#include "test_fullexport.moc"
