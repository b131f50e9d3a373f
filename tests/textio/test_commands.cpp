// The import, export and format-help buttons' commands through the scripted dialogs and messages.
#include "app/errorreport.h"
#include "app/listview.h"
#include "app/pointer.h"
#include "support/sandbox.h"
#include "textio/importexportcommands.h"
#include "textiofixture.h"

#include <QDir>
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

// Exports a list of the given rows to output.txt, picked in the dialog; gives the file's path.
QString exportList(cwtest::Sandbox& sandbox, QWidget& window, const QList<ListRow>& rows) {
    ListView list;
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
    void formatHelp();
};

void TestCommands::cancellingChangesNothing() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    QWidget window;
    RefillProbe probe{&window, {}};
    ListView list;
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

int runCommandTests(int argc, char** argv) {
    TestCommands test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_commands.moc"
