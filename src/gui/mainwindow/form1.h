#pragma once
// The main window: the birthday list with the next birthday, the commands, the options, the reminder
// timer and the tray icon.
#include "core/remindertime.h"
#include "gui/reminders/knowndue.h"
#include "gui/reminders/reminderhost.h"
#include "store/sources.h"

#include <QDate>
#include <QWidget>

#include <memory>
#include <set>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace cw {

class AddressBookSync;
class ListView;
struct ListedRows;
class TimerControl;
class cSysTray;

class Form1 : public QWidget, public ReminderHost {
    Q_OBJECT
  public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Loads the window, shows it (or sends it to the tray) and fills the list once it is up.
    void start();

    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload();
    void ListBirthdays(bool isTest);
    bool HasBirthdayToday();
    void Timer1_Timer();

    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton6_Click();
    void PushButton7_Click();
    void PushButton8_Click();
    void PushButton9_Click();
    void PushButton10_Click();
    void ListView1_DblClick();
    // "Address Books…" (Ctrl+B).
    void showAddressBooks();
    // "Show in Address Books", for a row from an address book: its book selected there.
    void showRowInAddressBooks();

    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();
    void Check6_Click();
    void Check8_Click();

    void Form_Resize();
    void cSysTray1_MouseUp(int button, int identifier);
    void bringBack();
    void trayAvailabilityChanged(bool available);
    // The session ends (SIGTERM and the like): a running import or export is cancelled and rolled
    // back first, then the window closes as its close box does.
    void endSession();

    ReminderBoxes reminderBoxes() const override;
    TimerControl& reminderTimer() override;
    MissedDays missedDays() const override { return catchingUp() ? missedDays_ : MissedDays{}; }
    // "Catch up on reminders missed while the computer was off", ticked in the list's context menu.
    bool catchingUp() const;
    bool isStartingUp() const { return startingUp; }
    bool isMinimisedToTray() const { return minimisedToTray_; }
    QString savedLabelText() const { return savedLabel; }

    QLabel* Label1;
    ListView* ListView1;
    QLineEdit* findField; // shown above the list while finding
    QPushButton* PushButton1;
    QPushButton* PushButton2;
    QPushButton* PushButton3;
    QPushButton* PushButton4;
    QPushButton* PushButton5;
    QPushButton* PushButton6;
    QPushButton* PushButton7;
    QPushButton* PushButton8;
    QPushButton* PushButton9;
    QPushButton* PushButton10;
    QGroupBox* Frame1; // "Startup Options"
    QGroupBox* Frame2; // "Remind Options"
    QCheckBox* Check1;
    QCheckBox* Check2;
    QCheckBox* Check3;
    QCheckBox* Check4;
    QCheckBox* Check5;
    QCheckBox* Check6;
    QCheckBox* Check8;
    TimerControl* Timer1;
    std::unique_ptr<cSysTray> cSysTray1;
    AddressBookSync* addressBooks;
    QWidget* failingBar; // above the list while an address book fails to sync
    QLabel* failingLabel;
    QPushButton* failingButton; // "Address Books…"

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildControls();
    void connectHandlers();
    void addListColumns();
    void restoreListOrder();
    void saveListOrder(int column, bool descending);
    void showFind();
    void hideFind();
    void findTextChanged(const QString& text);
    void showNewestRow();
    void followAddressBooks();       // their rows changed: the list refills, keeping its current row
    bool hideSubscribedRow(int row); // true when the row came from an address book
    void buildFailingBar();
    void followFailingBooks();
    void loadOrigins();
    std::optional<addressbook::RowOrigin> originOfRow(int row) const;
    void followCurrentRow(); // "Show in Address Books" is offered for a subscribed row only
    void restoreOptions();
    void addNoticeOption();
    void visitWebSiteSometimes();
    // synced: the refill follows a sync, not the user (followAddressBooks).
    void refill(bool isTest, bool newDay, bool synced = false);
    void raiseAlertIfDue(bool isTest, bool newDay, const ListedRows* snapshot);
    void announceSyncedRows(const ListedRows& snapshot);
    // With known, a due row counts only when it does not hold it.
    bool hasBirthdayTodayIn(const ListedRows* snapshot, const KnownDueRows* known = nullptr);
    bool checkForNewDay();       // true when a new day's pass ran
    bool retryOpeningTheStore(); // true while the store is still to be opened
    void noteReminderDay(const QDate& today);
    void catchUpWithTheClock();
    void showAlert(const ListedRows* snapshot = nullptr, const KnownDueRows* known = nullptr);
    void minimiseToTray();
    void placeControls();
    void restoreWindowPlace();
    void saveWindowPlace();
    void addCatchUpEntry();
    void addLeapDayChoice();
    void shutDown();
    // Reminders at a time of day.
    void addRemindTimeOption();
    void chooseReminderTimes();
    bool takeDayReminder();
    bool giveTimedReminders(); // true when a reminder was given
    bool hasBirthdayTomorrow();
    void followReminderTimes();

    bool startingUp = false;
    QString savedLabel;
    bool minimisedToTray_ = false;
    bool awaitingTray_ = false; // minimised when there was no tray to hide in
    bool inListPass_ = false;
    bool closed_ = false;
    QDate listDay_;                 // the day the list's days left were last worked out for
    std::set<QDate> passedDays_;    // the days whose reminder pass has run in this run
    MissedDays missedDays_;         // the days before today that had no pass, caught up today
    KnownDueRows knownDue_;         // the rows the refills found due today
    bool storeOpenPending_ = false; // the store was busy or unreadable at start-up
    std::vector<std::pair<QWidget*, QRect>> designedBelow_; // the controls under the list, as designed
    QTimer* placeTimer_ = nullptr; // runs out when a move or resize of the window has ended
    QRect placeKept_;              // the size and place last restored or kept
    QAction* catchUp_ = nullptr;
    QAction* showInBooks_ = nullptr;
    QHash<qint64, addressbook::RowOrigin> origins_; // of the subscribed rows, loaded with each refill
    ReminderTimes reminderTimes_;
    GivenReminders givenReminders_;
};

} // namespace cw
