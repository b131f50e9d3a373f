// The modal-window helper fails a test whose window never comes up, and one left waiting on a
// window nobody answers, instead of passing or hanging. The cases run as an inner test whose own
// results are read back.
#include "support/modal.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class Inner : public QObject {
    Q_OBJECT
  private slots:
    void answeredWindow() {
        cwtest::Sandbox sandbox;
        cwtest::whenModal<QDialog>([](QDialog* dialog) { dialog->accept(); });
        QDialog dialog;
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    }
    void windowNeverComesUp() {
        cwtest::Sandbox sandbox;
        cwtest::whenModal<QDialog>([](QDialog* dialog) { dialog->accept(); });
    }
    void otherWindowLeftUp() {
        cwtest::Sandbox sandbox;
        cwtest::whenModal<QMessageBox>([](QMessageBox* box) { box->accept(); });
        QDialog dialog;
        dialog.exec();
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QString log = folder.filePath("inner.txt");
    Inner inner;
    const int failures = QTest::qExec(&inner, {QString::fromLocal8Bit(argv[0]), "-o", log + ",txt"});
    QFile file(log);
    const QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    std::fputs(text.constData(), stdout);
    const bool expected =
        failures == 2 && text.contains("PASS   : Inner::answeredWindow()") &&
        text.contains("FAIL!  : Inner::windowNeverComesUp() the QDialog the test waited for never came up") &&
        text.contains("FAIL!  : Inner::otherWindowLeftUp() a QDialog came up that the test did not answer");
    std::puts(expected ? "the helper failed exactly the two faulty cases" : "UNEXPECTED inner results");
    return expected ? 0 : 1;
}

#include "test_modal.moc"
