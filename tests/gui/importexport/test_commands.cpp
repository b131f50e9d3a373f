// The import, export and format-help buttons' commands through the scripted dialogs and messages.
#include "core/statements.h"
#include "gui/importexport/importexportcommands.h"
#include "gui/services/datafolder.h"
#include "gui/services/errorreport.h"
#include "gui/services/pointer.h"
#include "gui/services/services.h"
#include "store/birthdaylist.h"
#include "store/connection.h"
#include "support/sandbox.h"
#include "textiofixture.h"

#include <QApplication>
#include <QDir>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QWidget>

using namespace cw;
using namespace textiotest;

namespace {
const QString openFilter =
    QStringLiteral("Text Files (*.txt);;vCard Files (*.vcf *.vcard);;iCalendar Files (*.ics);;All Files (*)");
const QString saveFilter = QStringLiteral("Text Files (*.txt);;iCalendar Files (*.ics);;All Files (*)");
const QString applicationError = QStringLiteral("Application Error");

// Counts the refills and the window's pointer each one saw.
struct RefillProbe {
    QWidget* window;
    QList<Qt::CursorShape> pointers;
    std::function<void()> callback() {
        return [this] { pointers << window->cursor().shape(); };
    }
};

// Imports a file of the given text, picked in the dialog, from the probe's window.
void importText(cwtest::Sandbox& sandbox, RefillProbe& probe, const QByteArray& text) {
    const QString path = sandbox.path("in.txt");
    writeBytes(path, text);
    sandbox.fileDialogs->answers.push_back(path);
    importCommand(probe.window, probe.callback());
}

// A clock that moves a second each time it is read: any work is long enough to show its progress.
class MovingClock : public Clock {
  public:
    QDate today() const override { return now().date(); }
    QDateTime now() const override { return current_ = current_.addSecs(1); }

  private:
    mutable QDateTime current_{QDate(2026, 12, 7), QTime(9, 0)};
};

// Once the window-modal progress dialog over window counts lines or rows, presses its Cancel
// button; counts the press in pressed.
void cancelWhenCounting(QWidget* window, int* pressed, int triesLeft = 10000) {
    QMetaObject::invokeMethod(
        qApp,
        [=] {
            auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->maximum() == 0 || dialog->value() <= 0) {
                if (triesLeft > 0)
                    cancelWhenCounting(window, pressed, triesLeft - 1);
                return;
            }
            QCOMPARE(dialog->windowModality(), Qt::WindowModal);
            QCOMPARE(dialog->parentWidget(), window);
            QVERIFY2(dialog->labelText().contains(QStringLiteral(" of ")), qPrintable(dialog->labelText()));
            QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
            ++*pressed;
        },
        Qt::QueuedConnection);
}

QByteArray linesOfText(int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("Person %1,May 2\r\n").arg(i).toUtf8();
    return text;
}

// Exports a list of the given rows to output.txt, picked in the dialog; gives the file's path.
QString exportList(cwtest::Sandbox& sandbox, QWidget& window, const QList<ListRow>& rows) {
    BirthdayList list;
    fillList(list, rows);
    const QString path = sandbox.path("output.txt");
    sandbox.fileDialogs->answers.push_back(path);
    exportCommand(&window, list);
    return path;
}
} // namespace

class TestCommands : public QObject {
    Q_OBJECT
  private slots:
    void cancellingChangesNothing();
    void importRefillsAndSaysDone();
    void failedImportIsReportedThenDone();
    void exportWritesTheListAndSaysDone();
    void failedExportIsReportedThenDone();
    void emptyListExportSaysDoneCreatesNothing();
    void cancelledImportStoresNothing();
    void cancelledExportLeavesTheFile();
    void exportWritesTheListAsItWasAtTheStart();
    void formatHelp();
};

void TestCommands::cancellingChangesNothing() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    QWidget window;
    RefillProbe probe{&window, {}};
    BirthdayList list;
    fillList(list, {{"Nim", "10", "18"}});
    importCommand(&window, probe.callback());
    exportCommand(&window, list);

    QCOMPARE(sandbox.fileDialogs->openRequests.size(), 1);
    QCOMPARE(sandbox.fileDialogs->saveRequests.size(), 1);
    const FileDialogRequest open = sandbox.fileDialogs->openRequests.at(0);
    const FileDialogRequest save = sandbox.fileDialogs->saveRequests.at(0);
    QCOMPARE(open.title, QStringLiteral("Save"));
    QCOMPARE(save.title, QStringLiteral("Save"));
    QCOMPARE(open.presetName, QString());
    QCOMPARE(save.presetName, QStringLiteral("output.txt"));
    QCOMPARE(open.filter, openFilter);
    QCOMPARE(save.filter, saveFilter);
    QCOMPARE(open.selectedFilter, QStringLiteral("Text Files (*.txt)"));
    QCOMPARE(save.selectedFilter, QStringLiteral("Text Files (*.txt)"));

    QVERIFY(sandbox.messages->shown.isEmpty());
    QVERIFY(probe.pointers.isEmpty());
    QVERIFY(storedBirthdays().isEmpty());
    QVERIFY(!window.testAttribute(Qt::WA_SetCursor));
    QCOMPARE(QDir(sandbox.path()).entryList(QDir::Files), QStringList{});
}

void TestCommands::importRefillsAndSaysDone() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    QWidget window;
    cw::setMousePointer(&window, cw::vbCustom); // the mouse was over a button
    RefillProbe probe{&window, {}};
    importText(sandbox, probe, "Arvel Quenby,April 13\r\nNim Quenby,October 18\r\n");

    QCOMPARE(storedBirthdays(), (QStringList{"Arvel Quenby|4|13", "Nim Quenby|10|18"}));
    QCOMPARE(probe.pointers, QList<Qt::CursorShape>{Qt::WaitCursor}); // refilled once, while busy
    QCOMPARE(cw::mousePointer(&window), int(cw::vbDefault));          // back to the default afterwards
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(sandbox.messages->shown.size(), 1);
    QCOMPARE(sandbox.messages->shown[0].text, QStringLiteral("Done."));
    QCOMPARE(sandbox.messages->shown[0].caption, QString()); // the application title
    QCOMPARE(sandbox.messages->shown[0].buttons, MessageButtons::Ok);
}

void TestCommands::failedImportIsReportedThenDone() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    QWidget window;
    RefillProbe probe{&window, {}};
    importText(sandbox, probe,
               "Arvel Quenby,April 13\r\nNim Quenby,October 18\r\nNo Day,May\r\nLate,June 1\r\n");

    QCOMPARE(storedBirthdays(), (QStringList{"Arvel Quenby|4|13", "Nim Quenby|10|18"}));
    QCOMPARE(probe.pointers.size(), 1); // the list is still refilled
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    const auto& shown = sandbox.messages->shown;
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].caption, applicationError);
    QVERIFY2(shown[0].text.startsWith("Line 3 "), qPrintable(shown[0].text));
    QVERIFY2(shown[0].text.contains(locationText(Location::Form1_PushButton8_Click)),
             qPrintable(shown[0].text));
    QCOMPARE(shown[1].text, QStringLiteral("Done."));
    QCOMPARE(shown[1].caption, QString());
}

void TestCommands::exportWritesTheListAndSaysDone() {
    cwtest::Sandbox sandbox;
    writeBytes(sandbox.path("output.txt"), "Old,May 1\r\n");
    QWidget window;
    const QString path =
        exportList(sandbox, window, {{"Nim Quenby", "10", "18"}, {"Arvel Quenby", "4", "13"}});

    QCOMPARE(readBytes(path), QByteArray("Nim Quenby,October 18\r\nArvel Quenby,April 13\r\n"));
    QCOMPARE(sandbox.messages->texts(), QStringList{"Done."});
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
}

void TestCommands::failedExportIsReportedThenDone() {
    cwtest::Sandbox sandbox;
    writeBytes(sandbox.path("output.txt"), "Old,May 1\r\n");
    QWidget window;
    const QString path = exportList(sandbox, window, {{"Nim Quenby", "10", "18"}, {"Broken", "abc", "13"}});

    QCOMPARE(readBytes(path), QByteArray("Old,May 1\r\n"));
    QCOMPARE(QDir(sandbox.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"output.txt"});
    const auto& shown = sandbox.messages->shown;
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].caption, applicationError);
    QVERIFY2(shown[0].text.contains(locationText(Location::Form1_PushButton9_Click)),
             qPrintable(shown[0].text));
    QVERIFY2(shown[0].text.contains("\"abc\""), qPrintable(shown[0].text));
    QCOMPARE(shown[1].text, QStringLiteral("Done."));
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
}

void TestCommands::emptyListExportSaysDoneCreatesNothing() {
    cwtest::Sandbox sandbox;
    QWidget window;
    exportList(sandbox, window, {});
    QCOMPARE(sandbox.messages->texts(), QStringList{"Done."});
    QCOMPARE(QDir(sandbox.path()).entryList(QDir::Files), QStringList{});
}

void TestCommands::cancelledImportStoresNothing() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    sharedConnection().execute(statements::sampleInsert());
    services().setClock(std::make_unique<MovingClock>());
    QWidget window;
    RefillProbe probe{&window, {}};
    int pressed = 0;
    cancelWhenCounting(&window, &pressed);
    importText(sandbox, probe, linesOfText(3000));

    QCOMPARE(pressed, 1);
    QCOMPARE(storedBirthdays(), QStringList{"Arv|4|13"});
    QVERIFY(sandbox.messages->shown.isEmpty()); // no error and no "Done."
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!QApplication::activeModalWidget());
    sharedConnection().execute(statements::sampleInsert()); // no transaction left open
    QCOMPARE(storedBirthdays(), (QStringList{"Arv|4|13", "Arv|4|13"}));
}

void TestCommands::cancelledExportLeavesTheFile() {
    cwtest::Sandbox sandbox;
    writeBytes(sandbox.path("output.txt"), "Old,May 1\r\n");
    services().setClock(std::make_unique<MovingClock>());
    QWidget window;
    QList<ListRow> rows;
    for (int i = 0; i < 3000; ++i)
        rows << ListRow{QStringLiteral("Person %1").arg(i), "5", "2"};
    int pressed = 0;
    cancelWhenCounting(&window, &pressed);
    const QString path = exportList(sandbox, window, rows);

    QCOMPARE(pressed, 1);
    QCOMPARE(readBytes(path), QByteArray("Old,May 1\r\n"));
    QCOMPARE(QDir(sandbox.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"output.txt"});
    QVERIFY(sandbox.messages->shown.isEmpty());
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
}

// The list is refilled while the export runs, as by a delete: the file holds the list as it was.
void TestCommands::exportWritesTheListAsItWasAtTheStart() {
    cwtest::Sandbox sandbox;
    services().setClock(std::make_unique<MovingClock>());
    QWidget window;
    BirthdayList list;
    QList<ListRow> rows;
    QByteArray expected;
    for (int i = 0; i < 3000; ++i) {
        rows << ListRow{QStringLiteral("Person %1").arg(i), "5", "2"};
        expected += QStringLiteral("Person %1,May 2\r\n").arg(i).toUtf8();
    }
    fillList(list, rows);
    bool refilled = false;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            fillList(list, {{"Deleted all but one", "1", "1"}});
            refilled = true;
        },
        Qt::QueuedConnection);
    sandbox.fileDialogs->answers.push_back(sandbox.path("output.txt"));
    exportCommand(&window, list);

    QVERIFY(refilled);
    QCOMPARE(readBytes(sandbox.path("output.txt")), expected);
    QCOMPARE(sandbox.messages->texts(), QStringList{"Done."});
}

void TestCommands::formatHelp() {
    cwtest::Sandbox sandbox;
    formatHelpCommand();
    QCOMPARE(sandbox.messages->shown.size(), 1);
    QCOMPARE(
        sandbox.messages->shown[0].text,
        QStringLiteral("This will import/export to text files in the following format with commas (Please "
                       "use English month names):\r\n\r\nArvel Quenby,April 13\r\nNim Quenby,October 18"));
    QCOMPARE(sandbox.messages->shown[0].caption, QString());
    QCOMPARE(sandbox.messages->shown[0].buttons, MessageButtons::Ok);
    QVERIFY(sandbox.fileDialogs->openRequests.isEmpty() && sandbox.fileDialogs->saveRequests.isEmpty());
}

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
