#pragma once
// A main window over a store of the test's making, with scripted services and a fake tray.
#include "core/statements.h"
#include "gui/editor/form2.h"
#include "gui/mainwindow/form1.h"
#include "gui/reminders/form3.h"
#include "gui/services/datafolder.h"
#include "gui/services/listview.h"
#include "store/connection.h"
#include "support/files.h"
#include "support/modal.h"
#include "support/recordset.h"
#include "support/sandbox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>

namespace cwtest {

struct Birthday {
    QString person;
    int month;
    int day;
    bool operator==(const Birthday&) const = default;
};

// Fills the editor as a user does and presses the given button: a short plain name is typed, any
// other pasted, as such names usually arrive.
inline void fillEditor(cw::Form2* editor, const QString& name, int month, int day,
                       QPushButton*(cw::Form2::*button) = &cw::Form2::PushButton6) {
    editor->Text1->clear();
    const bool plain = name.size() <= 200 && std::all_of(name.begin(), name.end(), [](QChar c) {
                           return c.unicode() >= 0x20 && c.unicode() < 0x7f;
                       });
    if (plain)
        QTest::keyClicks(editor->Text1, name);
    else
        editor->Text1->insert(name);
    editor->Combo1->setCurrentIndex(month - 1);
    editor->Combo2->setCurrentIndex(editor->Combo2->findText(QString::number(day)));
    (editor->*button)->click();
}

// What the alerts answered through the fixture showed: how many came up, and the text and the
// selected option (0 to 4, -1 for none) of the last one as it came up.
struct AlertsSeen {
    int count = 0;
    QString text;
    int option = -1;
};

class MainWindowFixture {
  public:
    Sandbox sandbox;
    std::unique_ptr<cw::Form1> form;
    AlertsSeen alerts;

    explicit MainWindowFixture(QDate today = QDate(2026, 12, 7)) {
        sandbox.clock->current = QDateTime(today, QTime(9, 0));
    }
    ~MainWindowFixture() {
        for (PendingModal& answer : pending_)
            answer.withdraw();
    }
    MainWindowFixture(const MainWindowFixture&) = delete;
    MainWindowFixture& operator=(const MainWindowFixture&) = delete;

    // Puts birthdays in the live store before the window loads.
    void store(const QList<Birthday>& birthdays) {
        sandbox.openStore();
        for (const Birthday& b : birthdays)
            cw::sharedConnection().execute(cw::statements::editorInsert(b.person, b.month, b.day));
        cw::sharedConnection().Close();
    }

    // Loads the window and runs its first activation, as a start does.
    cw::Form1& load() {
        form = std::make_unique<cw::Form1>();
        form->Form_Load();
        return *form;
    }
    cw::Form1& start() {
        load();
        form->Form_Activate();
        return *form;
    }
    // Closes the window, as quitting does, and starts a new one on the same store and settings.
    cw::Form1& restart() {
        form->close();
        form.reset();
        return start();
    }
    // Shows the window and minimises it, as the title bar's button does.
    void minimise() {
        form->show();
        form->showMinimized();
    }

    QStringList column(int n) const {
        QStringList cells;
        for (int row = 0; row < form->ListView1->count(); ++row)
            cells << (n == 0 ? form->ListView1->itemText(row) : form->ListView1->subItem(row, n));
        return cells;
    }

    // Starts with a birthday due: the start-up alert is answered with "Do not remind me again".
    cw::Form1& startDeclining() {
        load();
        confirmAlert(4);
        form->Form_Activate();
        return *form;
    }

    // Answers the next alert with its close box, which leaves the snooze as it was. whileUp runs
    // first, with the alert still up.
    void closeAlert(std::function<void(cw::Form3*)> whileUp = {}) {
        answerAlert([](cw::Form3* alert) { alert->close(); }, std::move(whileUp));
    }
    // Answers the next alert with its button, after clicking the option of the given index (0 to 4)
    // when one is given.
    void confirmAlert(int option = -1, std::function<void(cw::Form3*)> whileUp = {}) {
        answerAlert(
            [option](cw::Form3* alert) {
                const std::array<QRadioButton*, 5> options{alert->Option1, alert->Option2, alert->Option3,
                                                           alert->Option4, alert->Option5};
                if (option >= 0)
                    options[option]->click();
                alert->PushButton2->click();
            },
            std::move(whileUp));
    }

    QList<Birthday> storedRows() const {
        cw::Recordset records;
        records.open(cw::statements::listQuery(), cw::sharedConnection());
        QList<Birthday> rows;
        while (!records.EndOfFile()) {
            rows << Birthday{records.fields("Person").toString(), records.fields("BirthMonth").toInt(),
                             records.fields("BirthDay").toInt()};
            records.movenext();
        }
        return rows;
    }

    // Keeps an answer to a window that may never come up, and withdraws it when the fixture ends.
    void withdrawAtEnd(PendingModal answer) { pending_ << answer; }

    QString label() const { return form->Label1->text(); }
    int errorReports() const { return sandbox.messages->count(QStringLiteral("Application Error")); }

  private:
    void answerAlert(std::function<void(cw::Form3*)> answer, std::function<void(cw::Form3*)> whileUp) {
        withdrawAtEnd(whenModal<cw::Form3>([this, answer, whileUp](cw::Form3* alert) {
            ++alerts.count;
            alerts.text = alert->Label1->text();
            alerts.option = alert->selectedOption();
            if (whileUp)
                whileUp(alert);
            answer(alert);
        }));
    }

    QList<PendingModal> pending_;
};

} // namespace cwtest
