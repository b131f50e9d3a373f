// The list commands: add, delete, edit, sample data, the test birthday, help and the explanations.
#include "gui/mainwindow/form1.h"

#include "core/config.h"
#include "core/statements.h"
#include "gui/editor/form2.h"
#include "gui/importexport/importexportcommands.h"
#include "gui/reminders/duerule.h"
#include "gui/services/datafolder.h"
#include "gui/services/errorreport.h"
#include "gui/services/listview.h"
#include "gui/services/services.h"
#include "gui/services/timercontrol.h"
#include "store/connection.h"

#include <QComboBox>
#include <QLineEdit>

namespace cw {

void Form1::PushButton1_Click() {
    ErrorGuard guard(Location::Form1_PushButton1_Click);
    // An empty list, or rows with none current, leaves nothing to delete.
    const int row = ListView1->selectedRow();
    if (guard.test(1, [&] { return row < 0; }))
        return;
    if (hideSubscribedRow(row))
        return;
    MessageResult answer = MessageResult::No;
    guard.step(2, [&] {
        answer = services().messages().show(QStringLiteral("Are you sure you want to delete ") +
                                                ListView1->subItem(row, personColumn) + QLatin1Char('?'),
                                            QStringLiteral("Delete Selected Birthday Reminder"),
                                            MessageIcon::None, MessageButtons::YesNo);
    });
    if (guard.test(3, [&] { return answer != MessageResult::Yes; }))
        return;
    guard.step(3, [&] {
        sharedConnection().execute(statements::deleteById(statements::idFromText(ListView1->itemText(row))));
    });
    guard.step(4, [&] { ListBirthdays(false); });
}

void Form1::ListView1_DblClick() {
    PushButton1_Click();
}

void Form1::PushButton2_Click() {
    ErrorGuard guard(Location::Form1_PushButton2_Click);
    const int row = ListView1->selectedRow();
    if (guard.test(1, [&] { return row < 0; }))
        return;
    std::unique_ptr<Form2> editor;
    guard.step(2, [&] {
        editor = std::make_unique<Form2>(
            ListView1->itemText(row), [this] { ListBirthdays(false); }, this);
    });
    if (!editor)
        return;
    guard.step(3, [&] {
        // The name as stored: the list may add what kind of day it is.
        editor->Text1->setText(ListView1->rows().rows->person(size_t(row)));
        editor->Combo1->setCurrentIndex(ListView1->subItem(row, monthNoColumn).toInt() - 1);
        editor->Combo2->setCurrentIndex(editor->Combo2->findText(ListView1->subItem(row, dayColumn)));
    });
    guard.step(4, [&] { editor->exec(); });
}

void Form1::PushButton3_Click() {
    ErrorGuard guard(Location::Form1_PushButton3_Click);
    guard.step(1, [&] { Timer1->stop(); });
    guard.step(2, [] { sharedConnection().execute(statements::testDelete()); });
    guard.step(3, [&] { ListBirthdays(true); });
    guard.step(4, [] { sharedConnection().execute(statements::testInsert()); });
    guard.step(5, [&] { ListBirthdays(true); });
    guard.step(6, [&] { showAlert(); });
    guard.step(7, [&] { Timer1->restart(); });
}

void Form1::PushButton4_Click() {
    ErrorGuard guard(Location::Form1_PushButton4_Click);
    guard.step(1, [] { sharedConnection().execute(statements::sampleInsert()); });
    guard.step(2, [&] { ListBirthdays(false); });
}

void Form1::PushButton5_Click() {
    ErrorGuard guard(Location::Form1_PushButton5_Click);
    guard.step(1, [] {
        showMessage(QStringLiteral("Questions? Please contact Team Marrowfen at ") + config::contactPage,
                    config::contactPage);
    });
}

void Form1::PushButton6_Click() {
    ErrorGuard guard(Location::Form1_PushButton6_Click);
    guard.step(1, [&] {
        Form2 editor(
            QString(), [this] { ListBirthdays(false); }, this);
        if (editor.exec() == QDialog::Accepted)
            showNewestRow();
    });
}

void Form1::PushButton7_Click() {
    ErrorGuard guard(Location::Form1_PushButton7_Click);
    guard.step(1, [] {
        showMessage(
            QStringLiteral("This will add a fake entry for today and treat it like it's a real birthday "
                           "today so you can see how this software behaves."));
    });
}

// The reminder timer keeps ticking while the user picks a file; it waits only while the progress
// dialog is up, and a snooze and a new day catch up with the clock at the first tick afterwards.
void Form1::PushButton8_Click() {
    importCommand(
        this, [this] { ListBirthdays(false); }, Timer1);
}
void Form1::PushButton9_Click() {
    std::vector<int> reminderDays;
    const ReminderBoxes boxes = reminderBoxes();
    for (size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i] == 1)
            reminderDays.push_back(reminderDistances[i]);
    // The rows of the last refill, held for the export's length: whatever refills the list meanwhile,
    // the file is the list as it was when the export began.
    const std::shared_ptr<const BirthdayList> rows = ListView1->rows().rows;
    exportCommand(this, *rows, reminderDays, Timer1);
}
void Form1::PushButton10_Click() {
    formatHelpCommand();
}

} // namespace cw
