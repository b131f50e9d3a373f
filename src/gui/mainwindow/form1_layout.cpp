// The main window's controls at their places, and which handler each one drives.
#include "gui/mainwindow/form1.h"

#include "core/config.h"
#include "gui/addressbooks/addressbooksync.h"
#include "gui/services/labeltext.h"
#include "gui/services/listview.h"
#include "gui/services/pointer.h"
#include "gui/services/services.h"
#include "gui/services/timercontrol.h"
#include "gui/services/twips.h"
#include "gui/services/windowaccessibility.h"
#include "gui/tray/csystray.h"
#include "gui/tray/propertybag.h"
#include "gui/tray/traydesign.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace cw {

namespace {
// A screen reader hears the caption, or the given name where the caption alone says too little.
QPushButton* makeButton(QWidget* parent, const QString& caption, QRect place,
                        const QString& accessibleName = {}) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(place);
    button->setAccessibleName(accessibleName.isEmpty() ? caption : accessibleName);
    return button;
}

// A box keeps its place but grows to its text where the frame has room, so no caption is clipped.
QCheckBox* makeCheck(QGroupBox* frame, const QString& caption, QRect place) {
    auto* box = new QCheckBox(caption, frame);
    place.setWidth(
        std::min(std::max(place.width(), box->sizeHint().width()), frame->width() - place.left() - 4));
    box->setGeometry(place);
    return box;
}
} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    announceAsWindow(this);
    buildControls();
    connectHandlers();
}

Form1::~Form1() = default;

void Form1::buildControls() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    resize(twipsSize(8040, 8160));

    Label1 = new NextBirthdayLabel(this);
    Label1->setGeometry(twipsRect(120, 120, 7800, 255).adjusted(0, -2, 0, 2));
    Label1->setIndent(4);
    Label1->setAccessibleName(QStringLiteral("Next birthday"));

    ListView1 = new ListView(this);
    ListView1->setGeometry(twipsRect(120, 480, 7800, 2535));
    ListView1->setAccessibleName(QStringLiteral("Birthdays"));
    findField = new QLineEdit(this);
    findField->setGeometry(twipsRect(120, 480, 7800, 315));
    findField->setAccessibleName(QStringLiteral("Find"));
    findField->setPlaceholderText(QStringLiteral("Find"));
    findField->hide();

    PushButton6 = makeButton(this, QStringLiteral("Add Reminder"), twipsRect(120, 3105, 3840, 405));
    PushButton1 =
        makeButton(this, QStringLiteral("Delete Selected Reminder"), twipsRect(4080, 3105, 3840, 405));
    PushButton2 = makeButton(this, QStringLiteral("Edit Selected Reminder"), twipsRect(120, 3615, 3840, 405));
    PushButton4 =
        makeButton(this, QStringLiteral("Load Sample/Example Data"), twipsRect(4080, 3615, 3840, 405));
    PushButton8 =
        makeButton(this, QStringLiteral("Import Birthdays From Text File"), twipsRect(120, 4125, 3840, 405));
    PushButton9 =
        makeButton(this, QStringLiteral("Export Birthdays To File"), twipsRect(4080, 4125, 3240, 405));
    PushButton10 = makeButton(this, QStringLiteral("?"), twipsRect(7440, 4125, 480, 405),
                              QStringLiteral("About the text file format"));
    PushButton3 =
        makeButton(this, QStringLiteral("Add Birthday Today and Test"), twipsRect(120, 4635, 3240, 405));
    PushButton7 = makeButton(this, QStringLiteral("?"), twipsRect(3480, 4635, 480, 405),
                             QStringLiteral("About the test"));
    PushButton5 = makeButton(this, QStringLiteral("Help"), twipsRect(4080, 4635, 3840, 405));

    Frame2 = new QGroupBox(QStringLiteral("Remind Options"), this);
    Frame2->setGeometry(twipsRect(120, 5100, 7800, 2175));
    Check1 = makeCheck(Frame2, QStringLiteral("Remind me on the day of the birthday"),
                       twipsRect(240, 300, 3600, 255));
    Check2 =
        makeCheck(Frame2, QStringLiteral("Remind me 3 days before birthday"), twipsRect(240, 650, 3600, 255));
    Check4 = makeCheck(Frame2, QStringLiteral("Remind me 7 days before birthday"),
                       twipsRect(240, 1000, 3600, 255));
    Check5 = makeCheck(Frame2, QStringLiteral("Remind me 14 days before birthday"),
                       twipsRect(240, 1350, 3600, 255));
    Check6 = makeCheck(Frame2, QStringLiteral("Remind me 30 days before birthday"),
                       twipsRect(240, 1700, 3600, 255));

    Frame1 = new QGroupBox(QStringLiteral("Startup Options"), this);
    Frame1->setGeometry(twipsRect(120, 7335, 7800, 735));
    Check3 = makeCheck(Frame1, QStringLiteral("Load this software on Windows startup"),
                       twipsRect(240, 300, 3930, 285));
    Check8 = makeCheck(Frame1, QStringLiteral("Start in system tray"), twipsRect(4080, 300, 2340, 285));

    for (QWidget* below : std::initializer_list<QWidget*>{PushButton1, PushButton2, PushButton3, PushButton4,
                                                          PushButton5, PushButton6, PushButton7, PushButton8,
                                                          PushButton9, PushButton10, Frame1, Frame2})
        designedBelow_.emplace_back(below, below->geometry());
    mirrorPlaces(Frame1);
    mirrorPlaces(Frame2);
    Label1->setAlignment(QStyle::visualAlignment(layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter));

    Timer1 = new TimerControl(this);
    addressBooks = new AddressBookSync(this);
    buildFailingBar();
    restoreWindowPlace();
    cSysTray1 = std::make_unique<cSysTray>(services().trayShells().create());
    cSysTray1->ReadProperties(storedTrayDesign());
    installHoverPointers(this, {ListView1, Frame1, Frame2},
                         {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5, PushButton6,
                          PushButton7, PushButton8, PushButton9, PushButton10});
}

void Form1::connectHandlers() {
    const std::array<std::pair<QPushButton*, void (Form1::*)()>, 10> buttons{{
        {PushButton1, &Form1::PushButton1_Click},
        {PushButton2, &Form1::PushButton2_Click},
        {PushButton3, &Form1::PushButton3_Click},
        {PushButton4, &Form1::PushButton4_Click},
        {PushButton5, &Form1::PushButton5_Click},
        {PushButton6, &Form1::PushButton6_Click},
        {PushButton7, &Form1::PushButton7_Click},
        {PushButton8, &Form1::PushButton8_Click},
        {PushButton9, &Form1::PushButton9_Click},
        {PushButton10, &Form1::PushButton10_Click},
    }};
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);
    // A box's handler runs whenever its value changes, by a click or by the code.
    const std::array<std::pair<QCheckBox*, void (Form1::*)()>, 7> boxes{{
        {Check1, &Form1::Check1_Click},
        {Check2, &Form1::Check2_Click},
        {Check3, &Form1::Check3_Click},
        {Check4, &Form1::Check4_Click},
        {Check5, &Form1::Check5_Click},
        {Check6, &Form1::Check6_Click},
        {Check8, &Form1::Check8_Click},
    }};
    for (const auto& [box, handler] : boxes)
        connect(box, &QCheckBox::toggled, this, handler);
    connect(ListView1, &ListView::itemDoubleClicked, this, &Form1::ListView1_DblClick);
    connect(ListView1, &ListView::orderChanged, this, &Form1::saveListOrder);
    // The commands' keys, also in the list's context menu under the commands' captions. Delete and
    // Enter belong to the list alone: in the find field they edit the text.
    const auto addCommand = [this](const QString& caption, QList<QKeySequence> keys,
                                   Qt::ShortcutContext context, auto handler) {
        auto* action = new QAction(caption, ListView1);
        action->setShortcuts(keys);
        action->setShortcutContext(context);
        ListView1->addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    addCommand(PushButton6->text(), {QKeySequence::New}, Qt::WindowShortcut,
               [this] { PushButton6->click(); });
    addCommand(PushButton2->text(), {Qt::Key_Return, Qt::Key_Enter, Qt::Key_F2}, Qt::WidgetShortcut,
               [this] { PushButton2->click(); });
    addCommand(PushButton1->text(), {QKeySequence::Delete}, Qt::WidgetShortcut,
               [this] { PushButton1->click(); });
    addCommand(PushButton8->text(), {Qt::CTRL | Qt::Key_I}, Qt::WindowShortcut,
               [this] { PushButton8->click(); });
    addCommand(PushButton9->text(), {Qt::CTRL | Qt::Key_E}, Qt::WindowShortcut,
               [this] { PushButton9->click(); });
    addCommand(QStringLiteral("Address Books…"), {Qt::CTRL | Qt::Key_B}, Qt::WindowShortcut,
               &Form1::showAddressBooks);
    showInBooks_ = addCommand(QStringLiteral("Show in Address Books"), {}, Qt::WidgetShortcut,
                              &Form1::showRowInAddressBooks);
    showInBooks_->setVisible(false);
    connect(ListView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &Form1::followCurrentRow);
    ListView1->rowTip = [this](int row) {
        const auto origin = originOfRow(row);
        return origin ? QStringLiteral("From the address book “%1”").arg(origin->sourceName) : QString();
    };
    // Ctrl+F anywhere in the window, or "Find" in the list's context menu.
    addCommand(QStringLiteral("Find"), {QKeySequence::Find}, Qt::WindowShortcut, &Form1::showFind);
    addNoticeOption();
    addCatchUpEntry();
    addRemindTimeOption();
    addLeapDayChoice();
    addCommand(QStringLiteral("Quit"), {Qt::CTRL | Qt::Key_Q}, Qt::WindowShortcut, [this] { close(); });
    ListView1->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* endFind = new QAction(findField);
    endFind->setShortcut(Qt::Key_Escape);
    endFind->setShortcutContext(Qt::WidgetShortcut);
    findField->addAction(endFind);
    connect(endFind, &QAction::triggered, this, &Form1::hideFind);
    connect(findField, &QLineEdit::textChanged, this, &Form1::findTextChanged);
    connect(Timer1, &TimerControl::Timer, this, &Form1::Timer1_Timer);
    connect(addressBooks, &AddressBookSync::listOutdated, this, &Form1::followAddressBooks);
    connect(cSysTray1.get(), &cSysTray::MouseUp, this, &Form1::cSysTray1_MouseUp);
    connect(&cSysTray1->shell(), &TrayShell::availabilityChanged, this, &Form1::trayAvailabilityChanged);
}

void Form1::addListColumns() {
    ListView1->addColumn(QStringLiteral("id"), 1);
    ListView1->addColumn(QStringLiteral("Person"), 2700);
    ListView1->addColumn(QStringLiteral("Month"), 1800);
    ListView1->addColumn(QStringLiteral("Day"), 1300);
    ListView1->addColumn(QStringLiteral("Day(s) Left"), 1500);
    ListView1->addColumn(QStringLiteral("MonthNo"), 0);
    ListView1->addOptionalColumn(QStringLiteral("Age"), 720);
    // The names take any width the window gains.
    ListView1->header()->setSectionResizeMode(ListView1->section(personColumn), QHeaderView::Stretch);
    restoreListOrder();
}

TimerControl& Form1::reminderTimer() {
    return *Timer1;
}

} // namespace cw
