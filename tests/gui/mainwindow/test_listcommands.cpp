// The list commands through the real buttons, the editor and the message boxes.
#include "fixture.h"

#include "core/config.h"
#include "gui/services/timercontrol.h"
#include "platform/settings.h"
#include "platform/stopsignal.h"
#include "store/dateextras.h"

#include <QProgressDialog>

#include <csignal>

using namespace cwtest;

class TestListCommands : public QObject {
    Q_OBJECT
  private slots:
    void addThroughTheEditor();
    void editorOpensOnToday();
    void editorValidationOrder();
    void editorYearAndKind();
    void editKeepsTheId();
    void cancelChangesNothing();
    void deleteAskedAndAnswered();
    void deleteAndEditOnAnEmptyList();
    void sampleDataTwice();
    void testCommandTwice();
    void messagesOfHelpAndTheExplanations();
    void sessionEndsDuringALongImport();
    void enterAndEscape();
};

void TestListCommands::addThroughTheEditor() {
    MainWindowFixture f;
    f.store({{"Ann", 1, 5}});
    f.start();
    int editors = 0;
    whenModal<cw::Form2>([](cw::Form2* e) { fillEditor(e, "  O'Neil Smith ", 2, 29); }, &editors);
    f.form->PushButton6->click();
    QCOMPARE(editors, 1);
    QCOMPARE(f.storedRows(), QList<Birthday>({{"Ann", 1, 5}, {"  O'Neil Smith ", 2, 29}}));
    QCOMPARE(f.column(1), QStringList({"Ann", "  O'Neil Smith "}));
    QCOMPARE(f.form->ListView1->selectedRow(), 1); // the added row
    QCOMPARE(f.errorReports(), 0);
}

void TestListCommands::editorOpensOnToday() {
    MainWindowFixture f(QDate(2026, 8, 17));
    f.start();
    QString name = "x", month, day, caption;
    whenModal<cw::Form2>([&](cw::Form2* e) {
        name = e->Text1->text();
        month = e->Combo1->currentText();
        day = e->Combo2->currentText();
        caption = e->windowTitle();
        QCOMPARE(e->Combo1->count(), 12);
        QCOMPARE(e->Combo2->count(), 31);
        QVERIFY(!e->Combo1->isEditable() && !e->Combo2->isEditable());
        e->PushButton1->click();
    });
    f.form->PushButton6->click();
    QCOMPARE(name, QString());
    QCOMPARE(month, QStringLiteral("August"));
    QCOMPARE(day, QStringLiteral("17"));
    QCOMPARE(caption, QStringLiteral("Add New Birthday Reminder"));
}

void TestListCommands::editorValidationOrder() {
    MainWindowFixture f;
    f.start();
    whenModal<cw::Form2>([&](cw::Form2* e) {
        fillEditor(e, "", 2, 30); // February 30 and no name
        QVERIFY(e->isVisible());
        fillEditor(e, "   ", 4, 31); // April 31
        fillEditor(e, "   ", 4, 30); // a real date, a blank name
        QVERIFY(e->isVisible());
        e->PushButton1->click();
    });
    f.form->PushButton6->click();
    QCOMPARE(f.sandbox.messages->texts(),
             QStringList(
                 {"Selected date is invalid.", "Selected date is invalid.", "You forgot to input person."}));
    QCOMPARE(f.sandbox.messages->shown[0].caption, QString()); // the application title
    QVERIFY(f.storedRows().isEmpty());
}

// The Year box takes digits; the year is checked with the date (a leap year for February 29, from 1800
// to this year) and written beside the row with the kind.
void TestListCommands::editorYearAndKind() {
    const std::tuple<QString, int, int> cases[]{{"2000", 2, 2000}, {"2001", 2, -1}, {"", 2, 0},
                                                {"1799", 1, -1},   {"2027", 1, -1}, {"1a8-0 0", 1, 1800}};
    for (const auto& [typed, month, saved] : cases) {
        MainWindowFixture f;
        f.start();
        whenModal<cw::Form2>([&](cw::Form2* e) {
            QTest::keyClicks(e->Text2, typed);
            e->Option2->click();
            fillEditor(e, "Ann", month, 29);
            if (e->isVisible())
                e->PushButton1->click();
        });
        f.form->PushButton6->click();
        QCOMPARE(f.sandbox.messages->texts(),
                 saved < 0 ? QStringList("Selected date is invalid.") : QStringList());
        const auto kind = saved < 0 ? cw::DateKind::Birthday : cw::DateKind::Anniversary; // none: plain
        QCOMPARE(cw::readDateExtras(cw::sharedConnection(), 1),
                 (cw::DateExtras{std::max(saved, 0), kind, {}}));
    }
}

void TestListCommands::editKeepsTheId() {
    MainWindowFixture f;
    f.store({{"Ann", 1, 5}, {"Bob", 7, 9}});
    f.start();
    f.form->ListView1->selectRow(1);
    const QString id = f.form->ListView1->itemText(1);
    QString shownName, shownMonth, shownDay;
    whenModal<cw::Form2>([&](cw::Form2* e) {
        shownName = e->Text1->text();
        shownMonth = e->Combo1->currentText();
        shownDay = e->Combo2->currentText();
        QCOMPARE(e->mBirthdayID, id);
        QCOMPARE(e->PushButton6->text(), QStringLiteral("Save New Birthday Reminder"));
        fillEditor(e, "Robert", 12, 30);
    });
    f.form->PushButton2->click();
    QCOMPARE(shownName, QStringLiteral("Bob"));
    QCOMPARE(shownMonth, QStringLiteral("July"));
    QCOMPARE(shownDay, QStringLiteral("9"));
    QCOMPARE(f.storedRows(), QList<Birthday>({{"Ann", 1, 5}, {"Robert", 12, 30}}));
    QCOMPARE(f.form->ListView1->itemText(1), id);
}

void TestListCommands::cancelChangesNothing() {
    MainWindowFixture f;
    f.store({{"Ann", 1, 5}});
    f.start();
    int editors = 0;
    whenModal<cw::Form2>([](cw::Form2* e) { fillEditor(e, "Changed", 6, 5, &cw::Form2::PushButton1); },
                         &editors);
    f.form->PushButton2->click();
    QCOMPARE(editors, 1);
    whenModal<cw::Form2>([](cw::Form2* e) { fillEditor(e, "New", 6, 5, &cw::Form2::PushButton1); }, &editors);
    f.form->PushButton6->click();
    QCOMPARE(editors, 2);
    QCOMPARE(f.storedRows(), QList<Birthday>({{"Ann", 1, 5}}));
    QCOMPARE(f.sandbox.messages->shown.size(), 0);
}

void TestListCommands::deleteAskedAndAnswered() {
    MainWindowFixture f;
    f.store({{"O'Neil", 1, 5}, {"Bob", 7, 9}});
    f.start();
    f.sandbox.messages->answers = {cw::MessageResult::No};
    f.form->PushButton1->click();
    QCOMPARE(f.sandbox.messages->shown.size(), 1);
    const auto& question = f.sandbox.messages->shown[0];
    QCOMPARE(question.text, QStringLiteral("Are you sure you want to delete O'Neil?"));
    QCOMPARE(question.caption, QStringLiteral("Delete Selected Birthday Reminder"));
    QCOMPARE(question.buttons, cw::MessageButtons::YesNo);
    QCOMPARE(question.icon, cw::MessageIcon::None);
    QCOMPARE(f.storedRows().size(), 2);
    // A double click on a row asks about that row; Yes deletes it and refills.
    f.sandbox.messages->answers = {cw::MessageResult::Yes};
    const QModelIndex bob = f.form->ListView1->model()->index(1, 1);
    f.form->ListView1->setCurrentIndex(bob);
    emit f.form->ListView1->doubleClicked(bob);
    QCOMPARE(f.sandbox.messages->shown[1].text, QStringLiteral("Are you sure you want to delete Bob?"));
    QCOMPARE(f.storedRows(), QList<Birthday>({{"O'Neil", 1, 5}}));
    QCOMPARE(f.column(1), QStringList({"O'Neil"}));
}

void TestListCommands::deleteAndEditOnAnEmptyList() {
    MainWindowFixture f;
    f.start();
    int editors = 0;
    f.withdrawAtEnd(whenModal<cw::Form2>([](cw::Form2* e) { e->PushButton1->click(); }, &editors));
    f.form->PushButton1->click();
    f.form->PushButton2->click();
    QCOMPARE(f.sandbox.messages->shown.size(), 0);
    // Rows but no current row: nothing happens either.
    cw::sharedConnection().execute(cw::statements::sampleInsert());
    f.form->ListBirthdays(false);
    f.form->ListView1->setCurrentIndex(QModelIndex());
    f.form->PushButton1->click();
    f.form->PushButton2->click();
    QCOMPARE(f.sandbox.messages->shown.size(), 0);
    QCOMPARE(editors, 0);
}

void TestListCommands::sampleDataTwice() {
    MainWindowFixture f(QDate(2026, 4, 1));
    f.start();
    f.form->PushButton4->click();
    f.form->PushButton4->click();
    QCOMPARE(f.column(1), QStringList({"Arv", "Arv"}));
    QCOMPARE(f.column(2), QStringList({"April", "April"}));
    QCOMPARE(f.column(4), QStringList({"12", "12"}));
    QCOMPARE(f.sandbox.messages->shown.size(), 0);
}

void TestListCommands::testCommandTwice() {
    MainWindowFixture f(QDate(2026, 9, 3));
    f.store({{"Ann", 1, 5}});
    f.start();
    f.form->Timer1->stop();
    for (int run = 0; run < 2; ++run) {
        f.closeAlert();
        f.form->PushButton3->click();
    }
    QCOMPARE(f.alerts.count, 2);
    QCOMPARE(f.alerts.text, QStringLiteral("Today Birthday Test's birthday is today.\r\n"));
    QCOMPARE(f.storedRows(), QList<Birthday>({{"Ann", 1, 5}, {"Today Birthday Test", 9, 3}}));
    QVERIFY(f.form->Timer1->isTicking());
    QCOMPARE(f.form->duration, 0);
    QCOMPARE(f.errorReports(), 0);
}

void TestListCommands::messagesOfHelpAndTheExplanations() {
    MainWindowFixture f;
    f.start();
    f.form->PushButton5->click();
    f.form->PushButton7->click();
    QCOMPARE(f.sandbox.messages->texts(),
             QStringList(
                 {"Questions? Please contact Team Marrowfen at http://www.marrowfen.example/contact/",
                  "This will add a fake entry for today and treat it like it's a real birthday today so you "
                  "can see how this software behaves."}));
    QCOMPARE(f.sandbox.messages->shown[0].link, cw::config::contactPage);
    for (const auto& message : f.sandbox.messages->shown) {
        QCOMPARE(message.caption, QString());
        QCOMPARE(message.buttons, cw::MessageButtons::Ok);
    }
}

// The reminder timer ticks while a file is picked and waits only while the progress dialog is up.
// The session ending then (SIGTERM) cancels the import: nothing of the file is stored, no report
// comes, and the window closes.
void TestListCommands::sessionEndsDuringALongImport() {
    MainWindowFixture f;
    f.store({{"Ann", 3, 1}});
    f.start();
    QList<bool> ticking;
    f.sandbox.fileDialogs->whileOpen = [&] { ticking << f.form->Timer1->isTicking(); };
    f.form->PushButton9->click(); // the save dialog, cancelled
    QByteArray text;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("Person %1,May 2\r\n").arg(i).toUtf8();
    writeBytes(f.sandbox.path("long.txt"), text);
    f.sandbox.fileDialogs->answers.push_back(f.sandbox.path("long.txt"));
    cw::StopSignal stopSignal;
    QObject::connect(&stopSignal, &cw::StopSignal::received, f.form.get(), &cw::Form1::endSession);
    QTimer poller;
    QObject::connect(&poller, &QTimer::timeout, [&] {
        if (!qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()))
            return;
        poller.stop();
        ticking << f.form->Timer1->isTicking();
        std::raise(SIGTERM);
    });
    poller.start(1);
    f.sandbox.clock->secondsPerRead = 1;
    f.form->PushButton8->click();
    QTRY_COMPARE(cw::sharedConnection().State(), 0); // the window closed
    QCOMPARE(ticking, QList<bool>({true, true, false}));
    QVERIFY(f.sandbox.messages->shown.isEmpty());
    f.sandbox.openStore();
    QCOMPARE(f.storedRows(), QList<Birthday>({{"Ann", 3, 1}}));
}

// Also run under GTK's theme, where Enter presses a focused option button. Control 0 has the first focus.
void TestListCommands::enterAndEscape() {
    for (const auto& [editor, control, key] :
         std::initializer_list<std::tuple<bool, int, int>>{{false, 0, Qt::Key_Return},
                                                           {false, 1, Qt::Key_Enter},
                                                           {false, 1, Qt::Key_Escape},
                                                           {true, 0, Qt::Key_Return},
                                                           {true, 1, Qt::Key_Enter},
                                                           {true, 1, Qt::Key_Escape}}) {
        MainWindowFixture f;
        cw::writeOptions({false, false, false, false, true});
        auto& form = f.start();
        auto* alert = editor ? nullptr : new cw::Form3(form, &form);
        auto* edit = editor ? new cw::Form2(
                                  {}, [&] { form.ListBirthdays(false); }, &form)
                            : nullptr;
        std::unique_ptr<QDialog> dialog(alert ? static_cast<QDialog*>(alert) : edit);
        QWidget* controls[] = {alert ? alert->PushButton2 : static_cast<QWidget*>(edit->Text1),
                               alert ? static_cast<QWidget*>(alert->Option1) : edit->Combo1};
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QCOMPARE(QApplication::focusWidget(), controls[0]);
        if (edit)
            edit->Text1->setText("Ann");
        QTest::keyClick(controls[control], Qt::Key(key),
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(dialog->isVisible() ? -1 : dialog->result(),
                 key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted);
        QCOMPARE(f.column(1), edit && key != Qt::Key_Escape ? QStringList{"Ann"} : QStringList{});
        QVERIFY(cw::readOption(cw::SettingKey::Option5) && (edit || alert->selectedOption() == 4));
    }
}

QTEST_MAIN(TestListCommands)
#include "test_listcommands.moc"
