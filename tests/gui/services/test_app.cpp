// The error report, the settings store, the application title and the file-presence test.
#include "core/apperror.h"
#include "core/config.h"
#include "core/filepresence.h"
#include "gui/services/apptitle.h"
#include "gui/services/errorreport.h"
#include "gui/services/listview.h"
#include "gui/services/services.h"
#include "platform/settings.h"
#include "platform/singleinstance.h"
#include "support/files.h"
#include "support/modal.h"
#include "support/sandbox.h"
#include "support/shown.h"

#include <QAbstractButton>
#include <QCollator>
#include <QFile>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QSettings>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <latch>
#include <memory>
#include <vector>

#include <sys/stat.h>

using namespace cw;

class TestApp : public QObject {
    Q_OBJECT

  private slots:
    void errorReportText_data();
    void errorReportText();
    void reportBoxBreaksLinesAtCarriageReturns();
    void messageBoxShowsNamesAsTyped_data();
    void messageBoxShowsNamesAsTyped();
    void guardReportsEachFailingStepAndGoesOn();
    void failingTestRunsItsBody();
    void failingHelperIsReportedUnderItsCaller();
    void settingsDefaultsOnEmptyStore();
    void settingsConversions();
    void settingsWrittenAndReadBack();
    void optionKeysWrittenTogether();
    void settingsWriteFailureIsQuiet();
    void serialisedDataInTheFileStaysText();
    void applicationTitle();
    void filePresence();
    void tuneLoadsTheAudioLibrariesOnlyToPlay();
    void secondStartSignalsTheFirst();
    void startsAtTheSameMomentGiveOneInstance();
    void listFindAndSortFollowTheirRules();
};

void TestApp::errorReportText_data() {
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("location");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("expected");
    QTest::newRow("normal") << QStringLiteral("File not found") << int(Location::Form1_Form_Load) << 4
                            << QStringLiteral(
                                   "File not found\r\nin Wickmere2021/08/31.Form1.Form_Load at line "
                                   "4\r\rPlease email screenshot of this message to "
                                   "support@marrowfen.example");
    QTest::newRow("empty description")
        << QString() << int(Location::Form3_PushButton2_Click) << 12
        << QStringLiteral("\r\nin Wickmere2021/08/31.Form3.PushButton2_Click at line 12\r\rPlease email "
                          "screenshot of this message to support@marrowfen.example");
}

void TestApp::errorReportText() {
    QFETCH(QString, description);
    QFETCH(int, location);
    QFETCH(int, step);
    QFETCH(QString, expected);
    QCOMPARE(cw::errorReportText(description, Location(location), step), expected);
}

// The real message box: the report's lone carriage returns become line breaks whatever the style,
// so the empty line before the support sentence shows.
void TestApp::reportBoxBreaksLinesAtCarriageReturns() {
    const auto service = cw::createMessageBoxService();
    QString shownText, shownTitle;
    cwtest::whenModal<QMessageBox>([&](QMessageBox* box) {
        shownText = box->text();
        shownTitle = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
    });
    const auto answer = service->show(cw::errorReportText("Disk full", Location::Form1_PushButton9_Click, 3),
                                      QStringLiteral("Application Error"), cw::MessageIcon::Exclamation,
                                      cw::MessageButtons::Ok);
    QCOMPARE(answer, cw::MessageResult::Ok);
    QCOMPARE(shownTitle, QStringLiteral("Application Error"));
    QVERIFY2(shownText.startsWith("Disk full\nin ") && shownText.contains(" at line 3\n\nPlease email"),
             qPrintable(shownText));
}

void TestApp::messageBoxShowsNamesAsTyped_data() {
    cwtest::addMarkupLikeNames();
}

void TestApp::messageBoxShowsNamesAsTyped() {
    QFETCH(QString, name);
    const auto service = cw::createMessageBoxService();
    const QString text = "Are you sure you want to delete " + name + "?";
    QString shown;
    cwtest::whenModal<QMessageBox>([&](QMessageBox* box) {
        shown = cwtest::shownText(box);
        box->button(QMessageBox::No)->click();
    });
    service->show(text, QStringLiteral("Delete Selected Birthday Reminder"), cw::MessageIcon::None,
                  cw::MessageButtons::YesNo);
    QCOMPARE(shown, text);
    // Only the address the program gives is a link.
    const QString help = "Questions? " + cw::config::contactPage;
    cwtest::whenModal<QMessageBox>([&](QMessageBox* box) {
        shown = box->textFormat() == Qt::RichText ? box->text() : QString();
        box->button(QMessageBox::Ok)->click();
    });
    service->show(help, {}, cw::MessageIcon::None, cw::MessageButtons::Ok, cw::config::contactPage);
    QVERIFY2(shown.contains("<a href=\"" + cw::config::contactPage + "\""), qPrintable(shown));
}

void TestApp::guardReportsEachFailingStepAndGoesOn() {
    cwtest::Sandbox sandbox;
    QStringList ran;
    ErrorGuard guard(Location::Form1_ListBirthdays);
    guard.step(1, [&] { ran << "1"; });
    guard.step(2, [&] { throw AppError(QStringLiteral("first")); });
    guard.step(3, [&] { ran << "3"; });
    guard.step(4, [&] { throw std::runtime_error("second"); });
    guard.step(5, [&] { ran << "5"; });
    QCOMPARE(ran, QStringList({"1", "3", "5"}));
    QCOMPARE(guard.reports(), 2);
    QCOMPARE(sandbox.messages->shown.size(), 2);
    const auto& first = sandbox.messages->shown[0];
    QCOMPARE(first.caption, QStringLiteral("Application Error"));
    QCOMPARE(first.icon, MessageIcon::Exclamation);
    QCOMPARE(first.buttons, MessageButtons::Ok);
    QVERIFY(first.text.startsWith("first\r\nin Wickmere2021/08/31.Form1.ListBirthdays at line 2\r\r"));
    QVERIFY(sandbox.messages->shown[1].text.startsWith("second\r\n"));
    QVERIFY(sandbox.messages->shown[1].text.contains("at line 4\r\r"));
}

void TestApp::failingTestRunsItsBody() {
    cwtest::Sandbox sandbox;
    ErrorGuard guard(Location::Form1_Form_Load);
    bool bodyRan = false;
    if (guard.test(14, []() -> bool { throw AppError(QStringLiteral("Invalid property value")); }))
        guard.step(14, [&] { bodyRan = true; });
    QVERIFY(bodyRan);
    QCOMPARE(guard.reports(), 1);
    // A test that answers false still skips its body.
    bool skipped = true;
    if (guard.test(15, [] { return false; }))
        skipped = false;
    QVERIFY(skipped);
}

void TestApp::failingHelperIsReportedUnderItsCaller() {
    cwtest::Sandbox sandbox;
    auto helperWithoutReport = [] { throw AppError(QStringLiteral("skin failed")); };
    ErrorGuard guard(Location::Form2_Form_Load);
    guard.step(1, helperWithoutReport);
    QCOMPARE(sandbox.messages->shown.size(), 1);
    QVERIFY(sandbox.messages->shown[0].text.contains("Form2.Form_Load at line 1"));
}

void TestApp::settingsDefaultsOnEmptyStore() {
    cwtest::Sandbox sandbox;
    QCOMPARE(readCheckBox(SettingKey::Check1), 1);
    for (SettingKey key : {SettingKey::Check2, SettingKey::Check4, SettingKey::Check5, SettingKey::Check6})
        QCOMPARE(readCheckBox(key), 0);
    QCOMPARE(readOnOff(SettingKey::WindowsStartup), 0);
    QCOMPARE(readOnOff(SettingKey::Minimized), 0);
    QCOMPARE(readOption(SettingKey::Option1), true);
    for (SettingKey key :
         {SettingKey::Option2, SettingKey::Option3, SettingKey::Option4, SettingKey::Option5})
        QCOMPARE(readOption(key), false);
}

void TestApp::settingsConversions() {
    QCOMPARE(onOffValueFromText("On"), 1);
    QCOMPARE(onOffValueFromText("on"), 0);
    QCOMPARE(onOffValueFromText("ON"), 0);
    QCOMPARE(onOffValueFromText(""), 0);
    QCOMPARE(checkBoxValueFromText(" 1 "), 1);
    QCOMPARE(checkBoxValueFromText("0"), 0);
    QVERIFY_THROWS_EXCEPTION(AppError, checkBoxValueFromText("abc"));
    QVERIFY_THROWS_EXCEPTION(AppError, checkBoxValueFromText(""));
    QVERIFY_THROWS_EXCEPTION(AppError, checkBoxValueFromText("99999"));
    QCOMPARE(optionValueFromText("True"), true);
    QCOMPARE(optionValueFromText("False"), false);
    QCOMPARE(optionValueFromText("0"), false);
    QCOMPARE(optionValueFromText("-1"), true);
    QVERIFY_THROWS_EXCEPTION(AppError, optionValueFromText("maybe"));
    QCOMPARE(onOffText(1), QStringLiteral("On"));
    QCOMPARE(onOffText(0), QStringLiteral("Off"));
}

void TestApp::settingsWrittenAndReadBack() {
    cwtest::Sandbox sandbox;
    QVERIFY(writeSetting(SettingKey::WindowsStartup, onOffText(1)));
    QVERIFY(writeSetting(SettingKey::Check1, checkBoxText(0)));
    QVERIFY(writeSetting(SettingKey::Check5, QStringLiteral("abc")));
    QCOMPARE(readOnOff(SettingKey::WindowsStartup), 1);
    QCOMPARE(readCheckBox(SettingKey::Check1), 0);
    QVERIFY_THROWS_EXCEPTION(AppError, readCheckBox(SettingKey::Check5));
    // The keys live in the maker's file, in the product's section, spaces and all.
    QSettings raw(QSettings::IniFormat, QSettings::UserScope, "Marrowfen");
    QCOMPARE(raw.value("Candlewise Software/Windows Startup").toString(), QStringLiteral("On"));
    QVERIFY(QFile::exists(sandbox.path("config/Marrowfen.ini")));
    // A value the file holds already leaves the file as it is (a rewrite replaces it).
    const auto fileId = [&] {
        struct stat status {};
        return ::stat(qPrintable(sandbox.path("config/Marrowfen.ini")), &status) == 0 ? status.st_ino : 0;
    };
    const auto written = fileId();
    QVERIFY(writeSetting(SettingKey::Check1, checkBoxText(0)));
    QCOMPARE(fileId(), written);
}

void TestApp::optionKeysWrittenTogether() {
    cwtest::Sandbox sandbox;
    writeOptions({false, false, false, false, true});
    QSettings raw(QSettings::IniFormat, QSettings::UserScope, "Marrowfen");
    raw.beginGroup("Candlewise Software");
    QCOMPARE(raw.value("Option1").toString(), QStringLiteral("False"));
    QCOMPARE(raw.value("Option4").toString(), QStringLiteral("False"));
    QCOMPARE(raw.value("Option5").toString(), QStringLiteral("True"));
    QCOMPARE(readOption(SettingKey::Option1), false);
    QCOMPARE(readOption(SettingKey::Option5), true);
}

void TestApp::settingsWriteFailureIsQuiet() {
    cwtest::Sandbox sandbox;
    // A settings folder that cannot exist: the write fails, nothing throws, reads keep the defaults.
    cwtest::writeBytes(sandbox.path("blocker"), {});
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, sandbox.path("blocker/config"));
    QVERIFY(!writeSetting(SettingKey::Check2, QStringLiteral("1")));
    QCOMPARE(readCheckBox(SettingKey::Check2), 0);
}

void TestApp::serialisedDataInTheFileStaysText() {
    cwtest::Sandbox sandbox;
    // A damaged value whose length field asks for gigabytes once made the reader allocate them.
    cwtest::writeBytes(
        sandbox.path("config/Marrowfen.ini"),
        "[Candlewise%20Software]\nOption3=@Variant(\\0\\0\\0\\tion3=@Variant(\\0\\0\\0\\x2ihe)\n"
        "Check2=\"1\"\nWindows%20Startup=On\n");
    QVERIFY(readSetting(SettingKey::Option3).startsWith("@Variant("));
    QVERIFY_THROWS_EXCEPTION(AppError, readOption(SettingKey::Option3));
    QCOMPARE(readCheckBox(SettingKey::Check2), 1);
    QCOMPARE(readOnOff(SettingKey::WindowsStartup), 1);
    // Writing keeps the other keys and the file readable by any INI reader.
    QVERIFY(writeSetting(SettingKey::Check4, "1"));
    QSettings raw(sandbox.path("config/Marrowfen.ini"), QSettings::IniFormat);
    QCOMPARE(raw.value("Candlewise Software/Check4").toString(), QStringLiteral("1"));
    QCOMPARE(raw.value("Candlewise Software/Windows Startup").toString(), QStringLiteral("On"));
}

void TestApp::applicationTitle() {
    QCOMPARE(deriveApplicationTitle("Candlewise Software"), QStringLiteral("Candlewise"));
    QCOMPARE(deriveApplicationTitle("One Two Three"), QStringLiteral("One Two"));
    const QString longName = QStringLiteral("Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India");
    const QString title = deriveApplicationTitle(longName);
    QVERIFY(title.size() <= 40);
    QVERIFY(longName.startsWith(title + ' '));
    QCOMPARE(deriveApplicationTitle(QString(50, 'x')).size(), 40);
}

void TestApp::filePresence() {
    cwtest::Sandbox sandbox;
    cwtest::writeBytes(sandbox.path("present.txt"), {});
    QVERIFY(IsFilePresent(sandbox.path("present.txt")));
    QVERIFY(IsFilePresent(sandbox.path("app"))); // folders count too
    QVERIFY(!IsFilePresent(sandbox.path("missing.txt")));
    QVERIFY(!IsFilePresent(QString()));
    QVERIFY(!IsFilePresent(QString::fromUtf8("bad\0name", 8)));
    QCOMPARE(sandbox.messages->shown.size(), 0);
}

// A start does not load Qt Multimedia; the tune's first Open loads it from the module beside the
// program, and a missing module is reported there.
void TestApp::tuneLoadsTheAudioLibrariesOnlyToPlay() {
    const auto multimediaLoaded = [] {
        return cwtest::readBytes(QStringLiteral("/proc/self/maps")).contains("libQt6Multimedia");
    };
    QVERIFY(!multimediaLoaded());
    cwtest::Sandbox sandbox;
    QVERIFY(sandbox.installSideFile("happybirthday.wav"));
    const auto player = createSoundPlayerFactory()->create();
    player->FileName = sandbox.appFolder() + "/happybirthday.wav";
    QVERIFY_THROWS_EXCEPTION(AppError, player->Open());
    QVERIFY(sandbox.installSideFile("candlewise-sound.so"));
    player->Open();
    player->Play();
    QVERIFY(multimediaLoaded());
    player->Stop();
}

void TestApp::secondStartSignalsTheFirst() {
    cwtest::Sandbox sandbox;
    const QString socket = sandbox.path("candlewise.socket");
    SingleInstance first(socket);
    QVERIFY(first.becomeRunningInstance()); // nobody runs yet
    int shown = 0;
    connect(&first, &SingleInstance::showRequested, this, [&] { ++shown; });
    SingleInstance second(socket);
    QVERIFY(!second.becomeRunningInstance());
    QTRY_COMPARE(shown, 1);
    // A socket left behind by a crashed instance does not stop the next start.
    QFile::remove(socket);
    cwtest::writeBytes(socket, {});
    SingleInstance next(socket);
    QVERIFY(next.becomeRunningInstance());
}

// Starts at the same moment, on a clean session or over a socket left by a crash: exactly one
// runs, and every other one finds it.
void TestApp::startsAtTheSameMomentGiveOneInstance() {
    cwtest::Sandbox sandbox;
    const QString socket = sandbox.path("candlewise.socket");
    constexpr int starts = 4;
    for (int round = 0; round < 20; ++round) {
        if (round % 2)
            cwtest::writeBytes(socket, {});
        std::latch ready(starts);
        std::latch decided(starts);
        std::atomic<int> running = 0;
        std::vector<std::unique_ptr<QThread>> threads;
        for (int i = 0; i < starts; ++i) {
            threads.emplace_back(QThread::create([&] {
                SingleInstance instance(socket);
                ready.arrive_and_wait();
                if (instance.becomeRunningInstance())
                    ++running;
                decided.arrive_and_wait(); // the running one listens until every start has decided
            }));
            threads.back()->start();
        }
        for (const auto& thread : threads)
            thread->wait();
        QCOMPARE(running.load(), 1);
    }
}

// The view's find and sort against a plain reading of their rules, on names with accents, case and
// equals and rows without days left, through finds that narrow and widen, and after a refill.
void TestApp::listFindAndSortFollowTheirRules() {
    QRandomGenerator random(19);
    const QStringList names{"Zoë Adler", "zoe adler", "ÉMILE", "emile", "Ann",
                            "anna",      "李小龍",    "Ånge",  "O'Neil"};
    ListView view;
    for (const char* caption : {"id", "Person", "Month", "Day", "Day(s) Left", "MonthNo"})
        view.addColumn(QLatin1String(caption), 1200);
    struct Entry {
        qint64 id;
        QString name;
        qint16 daysLeft;
    };
    std::vector<Entry> entries;
    const auto fresh = [&](qint64 id) {
        return Entry{id, names[random.bounded(names.size())] + QString::number(random.bounded(4)),
                     static_cast<qint16>(random.bounded(-1, 366))};
    };
    // A list of its own, the same after an edit here and there (a few rows gone, renamed, added or
    // moved), and another list of its own.
    for (const int refill : {0, 1, 2}) {
        if (refill == 1) {
            entries.erase(entries.begin() + 5, entries.begin() + 8);
            for (const int i : {10, 300, 600})
                entries[size_t(i)].name = fresh(0).name;
            for (const qint64 id : {1000, 1001, 1002})
                entries.insert(entries.begin() + random.bounded(int(entries.size())), fresh(id));
            std::rotate(entries.begin() + 20, entries.begin() + 25, entries.begin() + 400);
        } else {
            entries.clear();
            for (int i = 0; i < (refill == 0 ? 701 : 500); ++i)
                entries.push_back(fresh(i));
        }
        ListedRows rows;
        auto list = std::make_shared<BirthdayList>();
        for (const Entry& entry : entries) {
            list->add(entry.id, entry.name, 1, 1);
            rows.daysLeft.push_back(entry.daysLeft);
            rows.monthName.push_back(0);
        }
        const int count = int(entries.size());
        rows.rows = list;
        view.finishRefill(rows);
        for (const QString& find : {"", "a", "an", "ann", "e", "ÉM", "zoe ", "x"}) {
            for (const int column : {personColumn, daysLeftColumn, monthColumn}) {
                for (const bool descending : {false, true}) {
                    view.setFindText(find);
                    view.sortBy(column, descending);
                    std::vector<int> expected;
                    for (int row = 0; row < count; ++row) {
                        if (findKey(list->person(size_t(row))).contains(findKey(find)))
                            expected.push_back(row);
                    }
                    const QCollator collator;
                    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                        if (column == personColumn)
                            return collator.compare(list->person(size_t(a)), list->person(size_t(b))) < 0;
                        const auto days = [&](int row) {
                            return quint16(rows.daysLeft[size_t(row)]);
                        }; // none last
                        return column == daysLeftColumn && days(a) < days(b);
                    });
                    if (descending)
                        std::reverse(expected.begin(), expected.end());
                    std::vector<int> shown;
                    for (int i = 0; i < view.shownCount(); ++i)
                        shown.push_back(static_cast<const ListModel*>(view.model())->rowShownAt(i));
                    QVERIFY2(shown == expected, qPrintable(find + " by column " + QString::number(column)));
                }
            }
        }
    }
}

QTEST_MAIN(TestApp)
#include "test_app.moc"
