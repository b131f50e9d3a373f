#include "gui/reminders/form3.h"

#include "core/filepresence.h"
#include "gui/reminders/duerows.h"
#include "gui/reminders/duerule.h"
#include "gui/reminders/knowndue.h"
#include "gui/services/dialogkeys.h"
#include "gui/services/errorreport.h"
#include "gui/services/labeltext.h"
#include "gui/services/pointer.h"
#include "gui/services/theming.h"
#include "gui/services/timercontrol.h"
#include "gui/services/twips.h"
#include "gui/services/windowaccessibility.h"
#include "gui/tray/programicon.h"
#include "platform/settings.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>

#include <array>

namespace cw {

namespace {
constexpr std::array snoozeSeconds{3600, 7200, 21600, 43200, 0};
} // namespace

Form3::Form3(ReminderHost& host, QWidget* parent, const ListedRows* snapshot, const KnownDueRows* known,
             AlertDay day)
    : QDialog(parent), host_(host), snapshot_(snapshot), known_(known), day_(day) {
    buildControls();
    Form_Load();
    snapshot_ = nullptr;
    known_ = nullptr;
}

Form3::~Form3() {
    withdrawNotice();
    if (MMControl1)
        MMControl1->Stop();
}

void Form3::buildControls() {
    setWindowTitle(QStringLiteral("Birthday Alert!"));
    setFixedSize(twipsSize(8040, 5655));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // However many birthdays are due, every line can be scrolled to (keyboard and wheel).
    textArea_ = new QScrollArea(this);
    textArea_->setGeometry(twipsRect(90, 120, 7860, 2745));
    textArea_->setFrameShape(QFrame::NoFrame);
    textArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textArea_->setWidgetResizable(true);
    // The text itself is reached with Tab or a click, read by lines and scrolled with the keys.
    textArea_->setFocusPolicy(Qt::NoFocus);
    Label1 = new TextLines;
    Label1->setFocusPolicy(Qt::StrongFocus);
    Label1->setAlignment(QStyle::visualAlignment(layoutDirection(), Qt::AlignLeft | Qt::AlignTop));
    Label1->setWordWrap(true);
    Label1->setMargin(6);
    QFont larger = Label1->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.25); // the reason for the window reads at a glance
    Label1->setFont(larger);
    Label1->setAccessibleName(QStringLiteral("Birthdays due"));
    textArea_->setWidget(Label1);

    Frame1 = new QGroupBox(QStringLiteral("Remind Option"), this);
    Frame1->setGeometry(twipsRect(120, 2940, 7800, 2085));
    const std::array<const char*, 5> captions{"Remind me again in 1 hour", "Remind me again in 2 hours",
                                              "Remind me again in 6 hours", "Remind me again in 12 hours",
                                              "Do not remind me again"};
    group_ = new QButtonGroup(this);
    const std::array<void (Form3::*)(), 5> handlers{&Form3::Option1_Click, &Form3::Option2_Click,
                                                    &Form3::Option3_Click, &Form3::Option4_Click,
                                                    &Form3::Option5_Click};
    std::array<QRadioButton*, 5> buttons{};
    for (int i = 0; i < 5; ++i) {
        buttons[i] = new QRadioButton(QLatin1String(captions[i]), Frame1);
        buttons[i]->setGeometry(twipsRect(240, 300 + 350 * i, 3135, 255));
        buttons[i]->resize(std::max(buttons[i]->width(), buttons[i]->sizeHint().width()),
                           buttons[i]->height());
        group_->addButton(buttons[i], i);
        connect(buttons[i], &QRadioButton::toggled, this, [this, handler = handlers[i]](bool checked) {
            if (checked)
                (this->*handler)();
        });
    }
    Option1 = buttons[0];
    Option2 = buttons[1];
    Option3 = buttons[2];
    Option4 = buttons[3];
    Option5 = buttons[4];

    PushButton2 = new QPushButton(QStringLiteral("OK"), this);
    PushButton2->setGeometry(twipsRect(120, 5130, 7800, 405));
    connect(PushButton2, &QPushButton::clicked, this, &Form3::PushButton2_Click);
    installHoverPointers(this, {Frame1}, {PushButton2});
    setDialogKeys(this, PushButton2, PushButton2);
    arrowsChoose(group_);
    mirrorPlaces(this);
}

// The group numbers the buttons 0 to 4 and knows which one is selected.
int Form3::selectedOption() const {
    return group_->checkedId();
}

void Form3::setOption(int index, bool value) {
    QAbstractButton* button = group_->button(index);
    if (value) {
        button->setChecked(true);
    } else if (button->isChecked()) {
        // A stored False takes the selection away, as it always has.
        group_->setExclusive(false);
        button->setChecked(false);
        group_->setExclusive(true);
    }
}

void Form3::Form_Load() {
    ErrorGuard guard(Location::Form3_Form_Load);
    guard.step(1, [&] { ThemeWindow(this); });
    guard.step(2, [&] { setWindowIcon(programIcon()); });
    guard.step(3, [&] { setWhiteBackground(Label1); });
    guard.step(4, [&] { ListTodayBirthday(); });
    guard.step(5, [&] { applyHandPointer(this); });
    for (int i = 0; i < 5; ++i)
        guard.step(6, [&] { setOption(i, readOption(optionKeys[i])); });
    guard.step(7, [&] {
        for (int i = 0; i < 4; ++i) {
            if (host_.duration == snoozeSeconds[i]) {
                setOption(i, true);
                break;
            }
        }
    });
    const QString tune = services().applicationFolder() + QStringLiteral("/happybirthday.wav");
    if (guard.test(8, [&] { return IsFilePresent(tune); })) {
        guard.step(8, [&] {
            MMControl1 = services().players().create();
            MMControl1->FileName = tune;
            MMControl1->Open();
            MMControl1->Play();
        });
    }
}

void Form3::ListTodayBirthday() {
    ErrorGuard guard(Location::Form3_ListTodayBirthday);
    QString text;
    const ReminderBoxes boxes = host_.reminderBoxes();
    const MissedDays missed = host_.missedDays();
    const QDate today = services().clock().today();
    visitDatedRows(
        guard,
        [&](const DatedRow& row) {
            if (day_ == AlertDay::Tomorrow)
                text += tomorrowLine(boxes, row, today);
            else if (!known_ || !known_->contains(row, today))
                text += dueLine(boxes, missed, row, today);
            return true;
        },
        snapshot_);
    guard.step(5, [&] { setLabelText(Label1, text); });
}

void Form3::optionSelected() {
    std::array<bool, 5> selected{};
    for (int i = 0; i < 5; ++i)
        selected[i] = group_->button(i)->isChecked();
    writeOptions(selected);
}

void Form3::Option1_Click() {
    optionSelected();
}
void Form3::Option2_Click() {
    optionSelected();
}
void Form3::Option3_Click() {
    optionSelected();
}
void Form3::Option4_Click() {
    optionSelected();
}
void Form3::Option5_Click() {
    optionSelected();
}

void Form3::PushButton2_Click() {
    ErrorGuard guard(Location::Form3_PushButton2_Click);
    guard.step(1, [&] {
        host_.duration = 0;
        host_.beginCycle(services().clock().now());
    });
    guard.step(2, [&] { host_.reminderTimer().stop(); });
    guard.step(3, [&] {
        const int chosen = selectedOption();
        if (chosen >= 0) {
            host_.duration = snoozeSeconds[chosen];
            host_.Dinalabel = chosen < 4;
        }
    });
    guard.step(4, [&] { accept(); });
    guard.step(5, [&] { host_.reminderTimer().restart(); });
}

// The alert asks for the user's eye even when the desktop keeps it behind another window (Wayland
// compositors place windows and decide focus themselves): it asks to be active, and where it is not,
// the task bar shows that it wants attention. Beside it, the desktop's notifications show it.
void Form3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        placeCentred();
        postNotice();
    }
    raise();
    activateWindow();
    QApplication::alert(this);
}

// Over the main window while it is on screen; on the middle of the screen while it is in the tray.
void Form3::placeCentred() {
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const bool overOwner = owner && owner->isVisible() && !owner->isMinimized();
    QScreen* shownOn = owner ? owner->screen() : screen();
    QRect place(QPoint(), frameGeometry().size());
    place.moveCenter(overOwner ? owner->frameGeometry().center() : shownOn->availableGeometry().center());
    move(place.topLeft());
}

void Form3::done(int result) {
    // The tune and the notification belong to the window: they end however the window closes.
    if (MMControl1) {
        MMControl1->Stop();
        MMControl1.reset();
    }
    withdrawNotice();
    QDialog::done(result);
}

} // namespace cw
