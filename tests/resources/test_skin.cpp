// The skin: Qt accepts every rule, and it changes colours and frames, never sizes or fonts.
#include "sidefiles.h"
#include "support/files.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTreeView>

#include <memory>

class TestSkin : public QObject {
    Q_OBJECT
  private slots:
    void parsesWithoutWarnings();
    void keepsFontsAndWhiteLabel();
    void styleTheWindowAndList();
};

namespace {

QString skinText() {
    return QString::fromUtf8(cwtest::readBytes(sideFile("x/o.cjs")));
}

// A window laid out the way the program lays out its own: fixed places, fixed sizes.
struct SampleWindow {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QTreeView* list = new QTreeView(window.get());
    QLabel* label = new QLabel(QStringLiteral("Anna's birthday is today."), window.get());
    QGroupBox* frame = new QGroupBox(QStringLiteral("Startup Options"), window.get());
    QCheckBox* check = new QCheckBox(QStringLiteral("Start in system tray"), frame);
    QPushButton* button = new QPushButton(QStringLiteral("Add Birthday"), window.get());

    SampleWindow() {
        window->setObjectName(QStringLiteral("Form1"));
        window->setFixedSize(400, 300);
        list->setGeometry(8, 8, 250, 120);
        label->setGeometry(8, 136, 250, 24);
        frame->setGeometry(8, 170, 250, 80);
        check->setGeometry(10, 24, 200, 17);
        button->setGeometry(270, 8, 120, 27);
        QPalette white = label->palette();
        white.setColor(QPalette::Window, Qt::white);
        label->setPalette(white);
        label->setAutoFillBackground(true);
    }
    void showWithSkin(const QString& sheet) {
        window->setStyleSheet(sheet);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
};

QStringList warnings;

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

} // namespace

void TestSkin::parsesWithoutWarnings() {
    const QString sheet = skinText();
    QVERIFY(sheet.contains(QStringLiteral("QPushButton")));
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    {
        SampleWindow sample;
        sample.showWithSkin(sheet);
        sample.window->grab();
    }
    qInstallMessageHandler(previous);
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(u'\n')));
}

void TestSkin::keepsFontsAndWhiteLabel() {
    SampleWindow sample;
    const QSize checkBefore = sample.check->sizeHint();
    sample.showWithSkin(skinText());

    QCOMPARE(sample.button->font(), QApplication::font(sample.button));
    QCOMPARE(sample.check->font(), QApplication::font(sample.check));
    QCOMPARE(sample.check->sizeHint().width(), checkBefore.width());

    // The button's caption still has the full height of a line of text.
    QStyleOptionButton option;
    option.initFrom(sample.button);
    option.text = sample.button->text();
    const QRect contents =
        sample.button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, sample.button);
    QVERIFY2(contents.height() >= sample.button->fontMetrics().height(),
             qPrintable(QString::number(contents.height())));

    const QImage label = sample.label->grab().toImage();
    QCOMPARE(label.pixelColor(label.width() - 2, label.height() / 2), QColor(Qt::white));
}

void TestSkin::styleTheWindowAndList() {
    // A desktop scheme whose button face differs from its window colour.
    const QPalette saved = QApplication::palette();
    QPalette scheme = saved;
    scheme.setColor(QPalette::Window, QColor(0x33, 0x66, 0x99));
    scheme.setColor(QPalette::Button, QColor(0xd4, 0xd0, 0xc8));
    QApplication::setPalette(scheme);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(saved); });

    SampleWindow sample;
    QVERIFY(!sample.list->alternatingRowColors());
    sample.showWithSkin(skinText());

    QVERIFY(sample.list->alternatingRowColors());
    // The window's background is its button-face colour, not its window colour.
    const QImage window = sample.window->grab().toImage();
    QCOMPARE(window.pixelColor(390, 290), QColor(0xd4, 0xd0, 0xc8));
}

QTEST_MAIN(TestSkin)
#include "test_skin.moc"
