// The windows' look: the button-face colour, the skin sheet, the white label and the hand pointer.
#include "fixture.h"

#include "gui/services/pointer.h"

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>

using namespace cwtest;

namespace {
QColor background(const QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}
QColor buttonFace(const QWidget* widget) {
    return widget->palette().color(QPalette::Button);
}
void hover(QWidget* widget) {
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(widget, &enter);
}

// The first caption cut: narrower or lower than its text (a box: indicator, gap, text), or running on.
QString firstCut(const QWidget* window) {
    QList<std::pair<const QWidget*, QRect>> used;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        const auto* button = qobject_cast<const QAbstractButton*>(control);
        const auto* frame = qobject_cast<const QGroupBox*>(control);
        if ((!button && !frame) || control->isHidden())
            continue;
        const QString caption = button ? button->text() : frame->title();
        const int needed = frame ? frame->minimumSizeHint().width()
                           : qobject_cast<const QPushButton*>(button)
                               ? button->sizeHint().width()
                               : control->fontMetrics().horizontalAdvance(caption) +
                                     control->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                                     control->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        const QRect rect(control->pos(), QSize(needed, control->fontMetrics().height()));
        if (rect.width() > control->width() || rect.height() > control->height())
            return caption;
        for (const auto& [other, otherRect] : used)
            if (other->parent() == control->parent() && otherRect.intersects(rect))
                return caption + " runs into " + other->property("text").toString();
        used.append({control, rect});
    }
    return {};
}
} // namespace

class TestLook : public QObject {
    Q_OBJECT
  private slots:
    void noSkinWithoutTheSheet();
    void skinnedMainWindow();
    void handPointerRules();
    void noPointerFileMeansTheArrow();
    void damagedPointerFileIsReported();
    void captionsFit_data();
    void captionsFit();
    void rightToLeftMirrors();
    void screenReadersAndFocus();
};

void TestLook::noSkinWithoutTheSheet() {
    MainWindowFixture f;
    auto& form = f.start();
    QVERIFY(form.styleSheet().isEmpty());
    QVERIFY(!form.Check1->autoFillBackground());
    QCOMPARE(background(form.Label1), QColor(Qt::white));
    // The editor and the alert take the button face always.
    cw::Form2 editor({}, [] {});
    QVERIFY(editor.autoFillBackground());
    QCOMPARE(background(&editor), buttonFace(&editor));
    QCOMPARE(background(editor.Frame2), buttonFace(editor.Frame2));
    cw::Form3 alert(form);
    QCOMPARE(background(&alert), buttonFace(&alert));
    QCOMPARE(background(alert.Option3), buttonFace(alert.Option3));
    QCOMPARE(background(alert.Label1), QColor(Qt::white));
}

void TestLook::skinnedMainWindow() {
    MainWindowFixture f;
    QVERIFY(f.sandbox.installSideFile("x/o.cjs"));
    auto& form = f.start();
    QVERIFY(!form.styleSheet().isEmpty());
    QVERIFY(form.autoFillBackground());
    QCOMPARE(background(form.Check1), buttonFace(form.Check1));
    QCOMPARE(background(form.Frame1), buttonFace(form.Frame1));
    QVERIFY(!form.PushButton1->autoFillBackground()); // buttons are left to the sheet
    QCOMPARE(background(form.Label1), QColor(Qt::white));
    QCOMPARE(f.errorReports(), 0);
}

void TestLook::handPointerRules() {
    MainWindowFixture f;
    QVERIFY(f.sandbox.installSideFile("HAND-M.CUR"));
    auto& form = f.start();
    hover(form.PushButton4);
    QCOMPARE(cw::mousePointer(&form), int(cw::vbCustom));
    QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
    hover(form.PushButton9); // straight onto another button keeps the hand
    QCOMPARE(cw::mousePointer(&form), int(cw::vbCustom));
    hover(form.Frame2);
    QCOMPARE(cw::mousePointer(&form), int(cw::vbDefault));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    hover(form.Check2); // check boxes leave the pointer as it was
    QCOMPARE(cw::mousePointer(&form), int(cw::vbDefault));
    cw::setMousePointer(&form, cw::vbHourglass); // busy: the hourglass stays
    hover(form.PushButton1);
    hover(form.ListView1);
    QCOMPARE(cw::mousePointer(&form), int(cw::vbHourglass));
    QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    cw::Form2 editor({}, [] {});
    hover(editor.PushButton6);
    QCOMPARE(editor.cursor().shape(), Qt::BitmapCursor);
    hover(&editor);
    QCOMPARE(cw::mousePointer(&editor), int(cw::vbDefault));
}

void TestLook::noPointerFileMeansTheArrow() {
    MainWindowFixture f;
    auto& form = f.start();
    hover(form.PushButton4);
    QCOMPARE(cw::mousePointer(&form), int(cw::vbCustom));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(f.errorReports(), 0);
}

void TestLook::damagedPointerFileIsReported() {
    MainWindowFixture f;
    cwtest::writeBytes(f.sandbox.appFolder() + "/HAND-M.CUR", "not a cursor at all");
    auto& form = f.start();
    QCOMPARE(f.errorReports(), 1);
    const QString report = f.sandbox.messages->shown.first().text;
    QVERIFY2(report.contains("Form1.Form_Load at line 5"), qPrintable(report));
    hover(form.PushButton4); // the window goes on with the ordinary arrow
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    cw::Form2 editor({}, [] {});
    QCOMPARE(f.errorReports(), 2);
    QVERIFY(f.sandbox.messages->shown.last().text.contains("Form2.Form_Load at line 3"));
}

// Under the platform theme the test runs in (Fusion's defaults, or GTK's), with each of Qt's styles.
void TestLook::captionsFit_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<int>("points");
    for (const char* style : {"Fusion", "Windows"})
        for (const int points : {9, 11, 13, 16})
            QTest::addRow("%s %d pt", style, points) << style << points;
}

void TestLook::captionsFit() {
    QFETCH(QString, style);
    QFETCH(int, points);
    const QFont before = QApplication::font();
    QApplication::setFont(QFont(before.family(), points));
    QApplication::setStyle(style);
    MainWindowFixture f;
    QVERIFY(f.sandbox.installSideFile("x/o.cjs"));
    f.store({{"Ann", 12, 7}});
    f.closeAlert();
    auto& form = f.start();
    cw::Form2 editor(QString(), nullptr, &form);
    cw::Form3 alert(form, &form);
    QStringList cuts;
    for (QWidget* window : QList<QWidget*>{&form, &editor, &alert}) {
        window->show();
        cuts << firstCut(window);
    }
    QApplication::setFont(before);
    QApplication::setStyle("Fusion");
    QCOMPARE(cuts, QStringList({"", "", ""}));
}

// Right to left, each control stands as far from the right edge as it stands from the left one left
// to right, also in a wider main window, whose added width goes to the names.
void TestLook::rightToLeftMirrors() {
    QList<QList<QRect>> places;
    for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
        QApplication::setLayoutDirection(direction);
        MainWindowFixture f;
        auto& form = f.start();
        const int section = form.ListView1->section(cw::personColumn),
                  names = form.ListView1->columnWidth(section);
        form.show();
        form.resize(form.width() + 300, form.height());
        QTRY_COMPARE(form.ListView1->columnWidth(section), names + 300);
        cw::Form2 editor({}, [] {});
        cw::Form3 alert(form);
        places.append(QList<QRect>());
        for (QWidget* window : QList<QWidget*>{&form, &editor, &alert})
            for (const QWidget* control : window->findChildren<QWidget*>()) {
                const QWidget* in = control->parentWidget();
                if (in == window || qobject_cast<const QGroupBox*>(in))
                    places.last() << QStyle::visualRect(direction, in->rect(), control->geometry());
            }
        QCOMPARE(bool(form.Label1->alignment() & Qt::AlignRight), direction == Qt::RightToLeft);
    }
    QApplication::setLayoutDirection(Qt::LeftToRight);
    QCOMPARE(places[1], places[0]);
}

// A screen reader gets the editor's boxes by their labels' names and the alert's text line by line;
// the list and the alert's text show when they have the keyboard.
void TestLook::screenReadersAndFocus() {
    MainWindowFixture f;
    QVERIFY(f.sandbox.installSideFile("x/o.cjs"));
    f.store({{"Ann", 12, 7}, {"Bob", 12, 10}});
    f.closeAlert();
    auto& form = f.start();
    form.Check2->setChecked(true);
    cw::Form2 editor({}, [] {});
    cw::Form3 alert(form);
    QAccessibleInterface* month = QAccessible::queryAccessibleInterface(editor.Combo1);
    QCOMPARE(month->text(QAccessible::Name) + ' ' + month->text(QAccessible::Value), "Month December");
    int start = 0, end = 0;
    QAccessibleTextInterface* lines = QAccessible::queryAccessibleInterface(alert.Label1)->textInterface();
    QVERIFY(lines);
    QCOMPARE(lines->textAfterOffset(3, QAccessible::LineBoundary, &start, &end),
             "Bob's birthday is in 3 days.\n");
    for (QWidget* control : QList<QWidget*>{form.ListView1, alert.Label1}) {
        control->window()->show();
        QVERIFY(QTest::qWaitForWindowActive(control->window()));
        control->setFocus(Qt::TabFocusReason);
        const QImage focused = control->grab().toImage();
        control->clearFocus();
        QVERIFY(control->grab().toImage() != focused);
    }
}

QTEST_MAIN(TestLook)
#include "test_look.moc"
