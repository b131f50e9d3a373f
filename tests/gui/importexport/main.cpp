#include <QApplication>
#include <QTest>

int runImportExportTests(int argc, char** argv);
int runCommandTests(int argc, char** argv);
int runFormatCommandTests(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv); // the birthday list is a widget
    int failures = runImportExportTests(argc, argv);
    failures += runCommandTests(argc, argv);
    failures += runFormatCommandTests(argc, argv);
    return failures;
}
