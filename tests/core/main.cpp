#include <QCoreApplication>
#include <QTest>

int runStoreTests(int argc, char** argv);
int runDaysLeftTests(int argc, char** argv);
int runBirthdayListTests(int argc, char** argv);
int runLineFormatTests(int argc, char** argv);
int runTextFileTests(int argc, char** argv);
int runFormatTests(int argc, char** argv);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failures = runStoreTests(argc, argv);
    failures += runDaysLeftTests(argc, argv);
    failures += runBirthdayListTests(argc, argv);
    failures += runLineFormatTests(argc, argv);
    failures += runTextFileTests(argc, argv);
    failures += runFormatTests(argc, argv);
    return failures;
}
