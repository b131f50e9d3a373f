// Start-up, the list in calendar order with its days left, and the next-birthday label.
#include "fixture.h"

#include "gui/services/labeltext.h"
#include "store/storelocation.h"

#include "gui/services/timercontrol.h"
#include "platform/settings.h"
#include "store/dateextras.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>

using namespace cwtest;

class TestList : public QObject {
    Q_OBJECT
  private slots:
    void firstStartOnACleanMachine();
    void calendarOrderAndCells();
    void nextBirthdayAcrossTheYearsTurn();
    void birthdaysTodayAndTies();
    void onlyPassedBirthdaysLeft();
    void emptyStoreLabel();
    void unreadableStoreGivesOneReportAndAnEmptyList();
    void damagedStoreReportedOnceAtStartUp();
    void activationFillsTheListOnce();
    void webSiteOnlyOnADrawOfSeven();
    void alertAtStartUpBeforeTheLabel();
    void sortByHeaderClicksKeptAcrossStarts();
    void findAsYouType();
    void editWhileFindingKeepsTheRow();
    void agesAnniversariesAndFebruary29();
};

namespace {
// A column as the view shows it, top to bottom.
QStringList shownColumn(const cw::ListView* list, int column) {
    QStringList cells;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        cells << list->model()->index(row, list->section(column)).data().toString();
    return cells;
}

void clickHeader(cw::ListView* list, int column) {
    QHeaderView* header = list->header();
    const int section = list->section(column);
    const QPoint middle(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
}

// The window up and active, so that its shortcuts work.
void showActive(cw::Form1& form) {
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
}
} // namespace

void TestList::firstStartOnACleanMachine() {
    MainWindowFixture f;
    auto& form = f.start();
    QVERIFY(QFileInfo(cw::liveStoreFile()).isFile());
    QCOMPARE(form.windowTitle(), QStringLiteral("Candlewise Software"));
    QCOMPARE(QAccessible::queryAccessibleInterface(&form)->role(), QAccessible::Window);
    QCOMPARE(f.errorReports(), 0);
    QVERIFY(form.Check1->isChecked());
    QVERIFY(!form.Check2->isChecked() && !form.Check3->isChecked() && !form.Check8->isChecked());
    QVERIFY(f.sandbox.trayLog.iconShown());
    QCOMPARE(f.sandbox.trayLog.calls.first().tip, QStringLiteral("Candlewise Software"));
    QVERIFY(form.Timer1->isTicking());
    QCOMPARE(form.Timer1->Interval(), 1000);
    QVERIFY(!form.isStartingUp());
    // The view, and so a screen reader, has no id and no month number.
    QCOMPARE(form.ListView1->model()->headerData(3, Qt::Horizontal).toString(),
             QStringLiteral("Day(s) Left"));
    QCOMPARE(form.ListView1->model()->columnCount(), 4);
}

void TestList::calendarOrderAndCells() {
    MainWindowFixture f(QDate(2026, 3, 1));
    f.store({{"Cleo", 11, 2}, {"Abe", 3, 15}, {"Bea", 1, 5}, {"Dan", 3, 2}});
    f.start();
    QCOMPARE(f.column(1), QStringList({"Bea", "Dan", "Abe", "Cleo"}));
    QCOMPARE(f.column(2), QStringList({"January", "March", "March", "November"}));
    QCOMPARE(f.column(3), QStringList({"5", "2", "15", "2"}));
    QCOMPARE(f.column(4), QStringList({"310", "1", "14", "246"}));
    QCOMPARE(f.column(5), QStringList({"1", "3", "3", "11"}));
    // Ids are readable in the hidden first column and name the stored rows.
    QCOMPARE(f.column(0).size(), 4);
    QVERIFY(f.column(0).at(0).toLongLong() > 0);
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in Dan 1 days"));
    QCOMPARE(f.form->savedLabelText(), f.label());
    QCOMPARE(f.form->ListView1->selectedRow(), 0); // a list with rows has a current row
}

void TestList::nextBirthdayAcrossTheYearsTurn() {
    MainWindowFixture f(QDate(2026, 12, 20));
    f.store({{"March Person", 3, 3}, {"January Person", 1, 5}});
    f.start();
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in January Person 16 days"));
    const QString shown = static_cast<cw::NextBirthdayLabel*>(f.form->Label1)
                              ->shownText(f.form->Label1->fontMetrics().horizontalAdvance(f.label()) - 30);
    QVERIFY2(shown.startsWith("Next birthday is in J") && shown.contains("…") && shown.endsWith("n 16 days"),
             qPrintable(shown));
}

void TestList::birthdaysTodayAndTies() {
    MainWindowFixture f(QDate(2026, 6, 1));
    f.store({{"Later A", 6, 10}, {"Later B", 6, 10}, {"Today A", 6, 1}, {"Today B", 6, 1}});
    f.form = std::make_unique<cw::Form1>();
    f.form->Form_Load();
    f.form->Check1->setChecked(false);
    f.form->ListBirthdays(false);
    QCOMPARE(f.column(4), QStringList({"Today", "Today", "9", "9"}));
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in Today B Today"));
    // Equal distances later on: the first in list order is named.
    cw::sharedConnection().execute("delete from tblBirthday where Person like 'Today%'");
    f.form->ListBirthdays(false);
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in Later A 9 days"));
}

void TestList::onlyPassedBirthdaysLeft() {
    MainWindowFixture f(QDate(2026, 12, 30));
    f.store({{"Feb", 2, 1}, {"Jan", 1, 10}, {"Dec", 12, 1}});
    f.start();
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in Jan 11 days"));
    QCOMPARE(f.column(4), QStringList({"11", "33", "336"}));
}

void TestList::emptyStoreLabel() {
    MainWindowFixture f;
    f.start();
    QCOMPARE(f.form->ListView1->count(), 0);
    QCOMPARE(f.label(), QStringLiteral("There are no birthdays in the list."));
}

void TestList::unreadableStoreGivesOneReportAndAnEmptyList() {
    MainWindowFixture f;
    f.store({{"Ann", 1, 1}});
    f.load();
    cw::sharedConnection().execute("drop table tblBirthday");
    f.sandbox.messages->shown.clear();
    f.form->Form_Activate();
    QCOMPARE(f.errorReports(), 1);
    QVERIFY(f.sandbox.messages->shown[0].text.contains("no such table"));
    QVERIFY(f.sandbox.messages->shown[0].text.contains("Form1.ListBirthdays at line 2"));
    QCOMPARE(f.form->ListView1->count(), 0);
}

void TestList::damagedStoreReportedOnceAtStartUp() {
    MainWindowFixture f;
    f.sandbox.openStore();
    cw::sharedConnection().Close();
    writeBytes(cw::liveStoreFile(), QByteArray(2048, 'x'));
    f.start();
    QCOMPARE(f.errorReports(), 1);
    QVERIFY(f.sandbox.messages->shown[0].text.contains("Form1.Form_Load at line 4"));
    QCOMPARE(f.label(), QStringLiteral("The birthday list could not be opened."));
    f.form->PushButton4->click(); // later changes report where they happen
    QCOMPARE(f.errorReports(), 3);
    QCOMPARE(readBytes(cw::liveStoreFile()), QByteArray(2048, 'x'));
}

void TestList::activationFillsTheListOnce() {
    MainWindowFixture f;
    f.store({{"Ann", 1, 1}});
    f.start();
    QCOMPARE(f.form->ListView1->count(), 1);
    cw::sharedConnection().execute(cw::statements::sampleInsert());
    f.form->Form_Activate(); // activated again later: no refill
    QCOMPARE(f.form->ListView1->count(), 1);
}

void TestList::webSiteOnlyOnADrawOfSeven() {
    {
        MainWindowFixture f;
        f.sandbox.random->values = {0.06}; // int(6) + 1 = 7
        f.load();
        QCOMPARE(f.sandbox.shell->opened.size(), 1);
        QCOMPARE(f.sandbox.shell->opened[0].toString(), QStringLiteral("http://www.marrowfen.example/"));
        QCOMPARE(f.sandbox.random->seeds.size(), 1);
    }
    for (double value : {0.0, 0.05, 0.07, 0.999}) {
        MainWindowFixture f;
        f.sandbox.random->values = {value};
        f.load();
        QVERIFY2(f.sandbox.shell->opened.isEmpty(), qPrintable(QString::number(value)));
    }
}

void TestList::alertAtStartUpBeforeTheLabel() {
    MainWindowFixture f(QDate(2026, 4, 13));
    f.store({{"Arvel Quenby", 4, 13}});
    f.load();
    QString labelDuringAlert = "untouched";
    f.confirmAlert(-1, [&](cw::Form3*) {
        labelDuringAlert = f.label();
        QVERIFY(!f.form->Timer1->isTicking());
    });
    f.form->Form_Activate();
    QCOMPARE(f.alerts.count, 1);
    QCOMPARE(labelDuringAlert, QString());
    QCOMPARE(f.alerts.text, QStringLiteral("Arvel Quenby's birthday is today.\r\n"));
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in Arvel Quenby Today"));
    QCOMPARE(f.form->duration, 3600); // the preselected hour
    QVERIFY(f.form->Dinalabel);
    QVERIFY(f.form->Timer1->isTicking());
}

void TestList::sortByHeaderClicksKeptAcrossStarts() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    MainWindowFixture f;
    f.store({{"Émile", 3, 2}, {"bob", 1, 5}, {"Ann", 11, 2}, {"Cleo", 12, 8}});
    cw::ListView* list = f.start().ListView1;
    list->selectRow(list->count() - 1); // Cleo, the last in calendar order
    const QString cleo = list->itemText(list->selectedRow());
    clickHeader(list, cw::personColumn);
    QCOMPARE(shownColumn(list, cw::personColumn), QStringList({"Ann", "bob", "Cleo", "Émile"}));
    clickHeader(list, cw::personColumn);
    QCOMPARE(shownColumn(list, cw::personColumn), QStringList({"Émile", "Cleo", "bob", "Ann"}));
    clickHeader(list, cw::daysLeftColumn);
    QCOMPARE(shownColumn(list, cw::daysLeftColumn), QStringList({"1", "29", "85", "330"}));
    f.form->ListBirthdays(false);
    QCOMPARE(list->itemText(list->selectedRow()), cleo); // the current row outlives the refill
    list = f.restart().ListView1;
    QCOMPARE(shownColumn(list, cw::personColumn), QStringList({"Cleo", "bob", "Émile", "Ann"}));
    QCOMPARE(cw::readSetting(cw::SettingKey::SortColumn), QStringLiteral("Day(s) Left"));
    clickHeader(list, cw::monthColumn); // calendar order again
    QCOMPARE(shownColumn(list, cw::personColumn), QStringList({"bob", "Émile", "Ann", "Cleo"}));
    QLocale::setDefault(QLocale::system());
}

void TestList::findAsYouType() {
    MainWindowFixture f;
    f.store({{"José Ruiz", 6, 1}, {"Ann", 12, 9}, {"JOSEFINE", 1, 2}, {"Bert", 3, 3}});
    cw::Form1& form = f.start();
    showActive(form);
    const QRect listPlace = form.ListView1->geometry();
    QVERIFY(form.findField->isHidden());
    QTest::keyClick(form.ListView1, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(form.findField->isVisible() && form.findField->hasFocus());
    QCOMPARE(form.findField->accessibleName(), QStringLiteral("Find"));
    QTest::keyClicks(form.findField, "jose");
    QCOMPARE(shownColumn(form.ListView1, cw::personColumn), QStringList({"JOSEFINE", "José Ruiz"}));
    QTest::keyClicks(form.findField, " r");
    QCOMPARE(shownColumn(form.ListView1, cw::personColumn), QStringList({"José Ruiz"}));
    // The label still names the whole list's next birthday; the commands take the row shown.
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in Ann 2 days"));
    QCOMPARE(form.ListView1->subItem(form.ListView1->selectedRow(), cw::personColumn),
             QStringLiteral("José Ruiz"));
    QTest::keyClick(form.findField, Qt::Key_Escape);
    QVERIFY(form.findField->isHidden());
    QCOMPARE(form.ListView1->model()->rowCount(), 4);
    QCOMPARE(form.ListView1->geometry(), listPlace);
    // The context menu's entry opens it too; emptying the field closes it.
    const QList<QAction*> menu = form.ListView1->actions();
    const auto find = std::find_if(menu.begin(), menu.end(), [](QAction* a) { return a->text() == "Find"; });
    QVERIFY(find != menu.end() && form.ListView1->contextMenuPolicy() == Qt::ActionsContextMenu);
    (*find)->trigger();
    QTest::keyClicks(form.findField, "b");
    QCOMPARE(form.ListView1->model()->rowCount(), 1);
    QTest::keyClick(form.findField, Qt::Key_Backspace);
    QVERIFY(form.findField->isHidden());
    QCOMPARE(form.ListView1->model()->rowCount(), 4);
}

QTEST_MAIN(TestList)
#include "test_list.moc"

// An edit made while finding keeps its row current, also one added after the rows shown.
void TestList::editWhileFindingKeepsTheRow() {
    MainWindowFixture f;
    f.store({{"Zoe", 12, 24}, {"Ann", 3, 1}, {"Bob", 1, 5}});
    cw::Form1& form = f.start();
    showActive(form);
    QTest::keyClick(form.ListView1, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(form.findField, "o");
    form.ListView1->selectRow(2); // Zoe, the last in calendar order
    whenModal<cw::Form2>([](cw::Form2* editor) { editor->PushButton6->click(); });
    form.PushButton2->click();
    QCOMPARE(form.ListView1->subItem(form.ListView1->selectedRow(), cw::personColumn), QStringLiteral("Zoe"));
}

// Years bring the "Age" column, sorted youngest first; an anniversary is named so in the list; a
// right-to-left name is set apart in sentences. Where February 29 falls is chosen in the context menu,
// kept, and in force at once. Without years the list has its four columns again.
void TestList::agesAnniversariesAndFebruary29() {
    MainWindowFixture f(QDate(2027, 2, 28));
    f.store({{"Ann", 3, 2}, {"Lea", 2, 29}, {"Bob", 3, 4}, {"فاطمة", 2, 28}});
    f.sandbox.openStore();
    for (const auto& [id, year, kind] : {std::tuple{1, 2005, cw::DateKind::Birthday},
                                         {2, 2000, cw::DateKind::Anniversary},
                                         {4, 1990, cw::DateKind::Birthday}})
        cw::writeDateExtras(cw::sharedConnection(), id, {year, kind, {}});
    cw::sharedConnection().Close();
    f.closeAlert();
    cw::ListView* list = f.start().ListView1;
    const QString fatima = QStringLiteral("\u200e\u2068فاطمة\u2069's birthday is today (turns 37).\r\n");
    // The notification says the same as the alert.
    QCOMPARE(f.label() + ' ' + f.alerts.text + f.sandbox.notices->posted.value(0).body + "\r\n",
             "Next birthday is in \u2068فاطمة\u2069 Today " + fatima + fatima);
    QCOMPARE(f.column(cw::personColumn) + f.column(cw::daysLeftColumn) + f.column(cw::ageColumn),
             QStringList(
                 {"فاطمة", "Lea (anniversary)", "Ann", "Bob", "Today", "1", "2", "4", "37", "27", "22", ""}));
    clickHeader(list, cw::ageColumn);
    QCOMPARE(list->model()->headerData(4, Qt::Horizontal).toString() + ": " +
                 shownColumn(list, cw::personColumn).join(", "),
             "Age: Ann, Lea (anniversary), فاطمة, Bob");
    const QMenu* menu = list->findChild<QMenu*>();
    QCOMPARE(menu->title() + ": " + menu->actions()[0]->text() +
                 (menu->actions()[0]->isChecked() ? "*, " : ", ") + menu->actions()[1]->text(),
             "February 29 birthdays in common years: on March 1*, on February 28");
    f.form->duration = 3600; // a snooze runs: a day the choice makes due comes up at once
    f.closeAlert();
    menu->actions()[1]->trigger();
    QCOMPARE(f.label() + ' ' + f.alerts.text,
             "Next birthday is in Lea Today " + fatima + "Lea's anniversary is today (27 years).\r\n");
    f.closeAlert();
    QCOMPARE(f.restart().ListView1->subItem(1, cw::daysLeftColumn), QStringLiteral("Today"));
    cw::sharedConnection().execute("delete from tblBirthdayExtra");
    f.form->ListBirthdays(false);
    QCOMPARE(f.form->ListView1->model()->columnCount(), 4);
}
