#include <QCoreApplication>
#include <QTest>

int runStoreTests(int argc, char** argv);
int runDaysLeftTests(int argc, char** argv);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failures = runStoreTests(argc, argv);
    failures += runDaysLeftTests(argc, argv);
    return failures;
}
