#include <QCoreApplication>
#include <QTest>

int runStoreTests(int argc, char** argv);
int runDaysLeftTests(int argc, char** argv);
int runBirthdayListTests(int argc, char** argv);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failures = runStoreTests(argc, argv);
    failures += runDaysLeftTests(argc, argv);
    failures += runBirthdayListTests(argc, argv);
    return failures;
}
