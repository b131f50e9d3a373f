#include <QApplication>
#include <QTest>

int runLineFormatTests(int argc, char** argv);
int runTextFileTests(int argc, char** argv);
int runImportExportTests(int argc, char** argv);
int runCommandTests(int argc, char** argv);
int runFormatTests(int argc, char** argv);
int runFormatCommandTests(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv); // the birthday list is a widget
    int failures = runLineFormatTests(argc, argv);
    failures += runTextFileTests(argc, argv);
    failures += runImportExportTests(argc, argv);
    failures += runCommandTests(argc, argv);
    failures += runFormatTests(argc, argv);
    failures += runFormatCommandTests(argc, argv);
    return failures;
}
