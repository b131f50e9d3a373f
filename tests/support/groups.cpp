#include "support/groups.h"

#include <QMetaMethod>
#include <QTemporaryFile>
#include <QTest>

namespace cwtest {

namespace {
// The test functions in the order QtTest runs them.
QStringList testFunctions(const QObject* test) {
    const QMetaObject* meta = test->metaObject();
    QStringList names;
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        const QString name = QString::fromLatin1(method.name());
        if (method.access() == QMetaMethod::Private && method.methodType() == QMetaMethod::Slot &&
            method.parameterCount() == 0 && !name.endsWith(QLatin1String("_data")) &&
            !QStringList{"initTestCase", "cleanupTestCase", "init", "cleanup"}.contains(name))
            names << name;
    }
    return names;
}
} // namespace

int exec(QObject* test, int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QStringList functions = testFunctions(test);
    int failures = 0;
    for (QStringList chosen;;) {
        // Beside the usual output, a TAP log names each function that failed as it goes.
        QTemporaryFile log;
        if (!log.open())
            return QTest::qExec(test, arguments);
        try {
            return failures +
                   QTest::qExec(test, arguments + QStringList{"-o", "-,txt", "-o", log.fileName() + ",tap"} +
                                          chosen);
        } catch (...) {
            QString failed;
            for (const QByteArray& line : log.readAll().split('\n')) {
                if (line.startsWith("not ok")) {
                    ++failures;
                    failed = QString::fromLatin1(line.mid(line.indexOf(" - ") + 3)).section(u'(', 0, 0);
                }
            }
            // Functions named on the command line are not second-guessed.
            const qsizetype at = functions.indexOf(failed);
            if (argc > 1 || at < 0)
                return std::max(failures, 1);
            chosen = functions = functions.mid(at + 1);
            if (chosen.isEmpty())
                return failures;
        }
    }
}

} // namespace cwtest
