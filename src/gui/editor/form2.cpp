#include "gui/editor/form2.h"

#include "core/age.h"
#include "core/apperror.h"
#include "core/nametext.h"
#include "core/statements.h"
#include "gui/services/datafolder.h"
#include "gui/services/dialogkeys.h"
#include "gui/services/errorreport.h"
#include "gui/services/pointer.h"
#include "gui/services/services.h"
#include "gui/services/theming.h"
#include "gui/services/twips.h"
#include "gui/services/windowaccessibility.h"
#include "gui/tray/programicon.h"
#include "store/connection.h"
#include "store/query.h"
#include "store/sources.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace cw {

namespace {
// Whether the month at list position monthIndex (0 to 11) and the day text make a date: in the year
// given, which must be one a birth can have been in, or without one in the leap year 2000.
bool isValidEditorDate(int monthIndex, const QString& dayText, const QString& yearText) {
    bool ok = false;
    const int day = dayText.trimmed().toInt(&ok);
    if (!ok)
        return false;
    if (yearText.isEmpty())
        return QDate(2000, monthIndex + 1, day).isValid();
    const int year = yearText.toInt(&ok);
    return ok && isKnownYear(year, services().clock().today()) && QDate(year, monthIndex + 1, day).isValid();
}

// A name is one line: a line break, tab or other control character typed or pasted into the box
// becomes a blank there and then.
class OneLineName : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*position*/) const override {
        input = nameOnOneLine(input);
        return Acceptable;
    }
};

QString addressBookOf(const QString& birthdayId) {
    if (birthdayId.isEmpty())
        return {};
    try {
        const auto origin = addressbook::originOf(sharedConnection(), statements::idFromText(birthdayId));
        return origin ? origin->sourceName : QString();
    } catch (const AppError&) {
        return {}; // a store without address books holds the user's own rows only
    }
}
} // namespace

Form2::Form2(const QString& birthdayId, std::function<void()> refillList, QWidget* parent)
    : QDialog(parent), mBirthdayID(birthdayId), refillList_(std::move(refillList)),
      sourceName_(addressBookOf(birthdayId)) {
    buildControls();
    Form_Load();
}

void Form2::buildControls() {
    setWindowTitle(QStringLiteral("Add New Birthday Reminder"));
    setFixedSize(twipsSize(8040, 3100));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Frame2 = new QGroupBox(QStringLiteral("Person's Name"), this);
    Frame2->setGeometry(twipsRect(120, 60, 7800, 825));
    Text1 = new QLineEdit(Frame2);
    Text1->setGeometry(twipsRect(240, 300, 7320, 345));
    Text1->setAccessibleName(QStringLiteral("Person's name"));
    Text1->setValidator(new OneLineName(Text1));

    Frame1 = new QGroupBox(QStringLiteral("Month"), this);
    Frame1->setGeometry(twipsRect(120, 930, 3120, 825));
    Combo1 = new NamedComboBox(QStringLiteral("Month"), Frame1);
    Combo1->setGeometry(twipsRect(240, 300, 2655, 345));

    Frame3 = new QGroupBox(QStringLiteral("Day"), this);
    Frame3->setGeometry(twipsRect(3360, 930, 2160, 825));
    Combo2 = new NamedComboBox(QStringLiteral("Day"), Frame3);
    Combo2->setGeometry(twipsRect(240, 300, 1695, 345));

    // Digits only; whether they make a year is checked with the date on saving.
    Frame4 = new QGroupBox(QStringLiteral("Year"), this);
    Frame4->setGeometry(twipsRect(5640, 930, 2280, 825));
    Text2 = new QLineEdit(Frame4);
    Text2->setGeometry(twipsRect(240, 300, 1815, 345));
    Text2->setAccessibleName(QStringLiteral("Year"));
    Text2->setPlaceholderText(QStringLiteral("not known"));
    Text2->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), Text2));

    Frame5 = new QGroupBox(QStringLiteral("Kind"), this);
    Frame5->setGeometry(twipsRect(120, 1800, 7800, 645));
    Option1 = new QRadioButton(QStringLiteral("Birthday"), Frame5);
    Option1->setGeometry(twipsRect(240, 285, 3375, 255));
    Option1->setChecked(true);
    Option2 = new QRadioButton(QStringLiteral("Anniversary"), Frame5);
    Option2->setGeometry(twipsRect(3960, 285, 3375, 255));
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(Option1);
    kinds->addButton(Option2);
    arrowsChoose(kinds);

    PushButton6 = new QPushButton(QStringLiteral("Save New Birthday Reminder"), this);
    PushButton6->setGeometry(twipsRect(120, 2580, 3840, 405));
    PushButton1 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton1->setGeometry(twipsRect(4080, 2575, 3840, 405));

    connect(PushButton6, &QPushButton::clicked, this, &Form2::PushButton6_Click);
    connect(PushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    installHoverPointers(this, {Frame1, Frame2, Frame3, Frame4, Frame5}, {PushButton1, PushButton6});
    if (!sourceName_.isEmpty()) {
        showAsSubscribed();
        return;
    }
    setDialogKeys(this, PushButton6, Text1);
    mirrorPlaces(this);
}

// One more line above the buttons names the address book. Nothing can be changed, and the boxes look
// so: the name lies on the window's own colour (still focused and read by screen readers, as read-only)
// and the lists are greyed. Enter or Esc closes the window.
void Form2::showAsSubscribed() {
    setWindowTitle(QStringLiteral("View Birthday Reminder"));
    setFixedSize(twipsSize(8040, 3460));
    SourceLine = new QLabel(this);
    SourceLine->setGeometry(twipsRect(120, 2530, 7800, 300));
    SourceLine->setTextFormat(Qt::PlainText);
    SourceLine->setAccessibleName(QStringLiteral("Address book"));
    const QString text = QStringLiteral("From the address book “%1”: change it there.");
    const QFontMetrics metrics = SourceLine->fontMetrics();
    const int room = SourceLine->width() - metrics.horizontalAdvance(text.arg(QString()));
    SourceLine->setText(text.arg(metrics.elidedText(sourceName_, Qt::ElideMiddle, room)));
    SourceLine->setToolTip(sourceName_);
    PushButton6->move(PushButton6->x(), twips(2940));
    PushButton6->hide();
    PushButton1->move(PushButton1->x(), twips(2940));
    PushButton1->setText(QStringLiteral("Close"));
    for (QLineEdit* box : {Text1, Text2}) {
        box->setReadOnly(true);
        QPalette readOnly = box->palette();
        readOnly.setColor(QPalette::Base, readOnly.color(QPalette::Button));
        box->setPalette(readOnly);
    }
    Combo1->setEnabled(false);
    Combo2->setEnabled(false);
    Frame5->setEnabled(false);
    setDialogKeys(this, PushButton1, Text1);
}

void Form2::Form_Load() {
    ErrorGuard guard(Location::Form2_Form_Load);
    guard.step(1, [&] { ThemeWindow(this); });
    guard.step(2, [&] { setWindowIcon(programIcon()); });
    guard.step(3, [&] { applyHandPointer(this); });
    guard.step(4, [&] {
        Combo1->clear();
        const QLocale locale;
        for (int month = 1; month <= 12; ++month)
            Combo1->addItem(locale.standaloneMonthName(month, QLocale::LongFormat));
    });
    guard.step(5, [&] {
        Combo2->clear();
        for (int day = 1; day <= 31; ++day)
            Combo2->addItem(QString::number(day));
    });
    if (guard.test(6, [&] { return mBirthdayID.isEmpty(); })) {
        guard.step(6, [&] {
            const QDate today = services().clock().today();
            Combo1->setCurrentIndex(today.month() - 1);
            Combo2->setCurrentIndex(today.day() - 1);
        });
    } else {
        guard.step(7, [&] {
            stored_ = readDateExtras(sharedConnection(), statements::idFromText(mBirthdayID));
            Text2->setText(stored_.year != 0 ? QString::number(stored_.year) : QString());
            (stored_.kind == DateKind::Anniversary ? Option2 : Option1)->setChecked(true);
        });
    }
}

DateExtras Form2::enteredExtras() const {
    return {Text2->text().isEmpty() ? 0 : Text2->text().toInt(),
            Option2->isChecked() ? DateKind::Anniversary : DateKind::Birthday, stored_.death};
}

void Form2::PushButton6_Click() {
    ErrorGuard guard(Location::Form2_PushButton6_Click);
    if (guard.test(1, [&] {
            return !isValidEditorDate(Combo1->currentIndex(), Combo2->currentText(), Text2->text());
        })) {
        guard.step(1, [] { showMessage(QStringLiteral("Selected date is invalid.")); });
        return;
    }
    if (guard.test(2, [&] { return statements::trimBlanks(Text1->text()).isEmpty(); })) {
        guard.step(2, [] { showMessage(QStringLiteral("You forgot to input person.")); });
        return;
    }
    guard.step(3, [&] {
        const int month = Combo1->currentIndex() + 1;
        const int day = Combo2->currentText().trimmed().toInt();
        const QString statement =
            mBirthdayID.isEmpty()
                ? statements::editorInsert(Text1->text(), month, day)
                : statements::editorUpdate(Text1->text(), month, day, statements::idFromText(mBirthdayID));
        sharedConnection().execute(statement);
        // The year and kind beside the row; for a row with neither this removes any it had.
        const qint64 id =
            mBirthdayID.isEmpty() ? lastInsertId(sharedConnection()) : statements::idFromText(mBirthdayID);
        writeDateExtras(sharedConnection(), id, enteredExtras());
    });
    guard.step(4, [&] { refillList_(); });
    guard.step(5, [&] { accept(); });
}

void Form2::PushButton1_Click() {
    ErrorGuard guard(Location::Form2_PushButton1_Click);
    guard.step(1, [&] { reject(); });
}

} // namespace cw
