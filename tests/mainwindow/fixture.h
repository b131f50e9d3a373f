#pragma once
// A main window over a store of the test's making, with scripted services and a fake tray.
#include "app/listview.h"
#include "mainwindow/form1.h"
#include "store/connection.h"
#include "store/datafolder.h"
#include "store/recordset.h"
#include "store/statements.h"
#include "support/modal.h"
#include "support/sandbox.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace cwtest {

struct Birthday {
    QString person;
    int month;
    int day;
    bool operator==(const Birthday&) const = default;
};

class MainWindowFixture {
  public:
    Sandbox sandbox;
    std::unique_ptr<cw::Form1> form;

    explicit MainWindowFixture(QDate today = QDate(2026, 12, 7)) {
        sandbox.clock->current = QDateTime(today, QTime(9, 0));
    }

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

    QStringList column(int n) const {
        QStringList cells;
        for (int row = 0; row < form->ListView1->count(); ++row)
            cells << (n == 0 ? form->ListView1->itemText(row) : form->ListView1->subItem(row, n));
        return cells;
    }

    // Starts with a birthday due: the start-up alert is answered with "Do not remind me again".
    cw::Form1& startDeclining();

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

    QString label() const { return form->Label1->text(); }
    int errorReports() const { return sandbox.messages->count(QStringLiteral("Application Error")); }
};

} // namespace cwtest

#include "reminders/form3.h"

#include <QRadioButton>

inline cw::Form1& cwtest::MainWindowFixture::startDeclining() {
    load();
    whenModal<cw::Form3>([](cw::Form3* alert) {
        alert->Option5->click();
        alert->PushButton2->click();
    });
    form->Form_Activate();
    return *form;
}
