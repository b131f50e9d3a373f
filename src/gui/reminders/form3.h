#pragma once
// "Birthday Alert!": the due birthdays, the tune, and when to be reminded again.
#include "gui/reminders/reminderhost.h"
#include "gui/services/services.h"

#include <QDialog>

#include <memory>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollArea;

namespace cw {

class KnownDueRows;
struct ListedRows;

// Today's alert, or the evening's of the birthdays tomorrow.
enum class AlertDay { Today, Tomorrow };

class Form3 : public QDialog {
    Q_OBJECT
  public:
    // Loaded afresh for each showing: the load runs here. A snapshot, the list query a refill has
    // just read, spares the load reading the store again. With known, only the due rows it does not
    // hold are listed.
    explicit Form3(ReminderHost& host, QWidget* parent = nullptr, const ListedRows* snapshot = nullptr,
                   const KnownDueRows* known = nullptr, AlertDay day = AlertDay::Today);
    ~Form3() override;

    void ListTodayBirthday();
    void PushButton2_Click();
    // One handler per option button, all five alike: the choice is stored the moment it is made.
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Option5_Click();
    // Index 0..4 of the selected option, or -1 when none is.
    int selectedOption() const;

    QLabel* Label1;
    QGroupBox* Frame1;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QRadioButton* Option3;
    QRadioButton* Option4;
    QRadioButton* Option5;
    QPushButton* PushButton2;
    std::unique_ptr<Player> MMControl1;

  protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void Form_Load();
    void optionSelected();
    void setOption(int index, bool value);
    void placeCentred();
    void postNotice();
    void noticeAnswered(const QString& key);
    void withdrawNotice();

    ReminderHost& host_;
    QButtonGroup* group_;
    QScrollArea* textArea_;      // holds Label1
    const ListedRows* snapshot_; // only while loading
    const KnownDueRows* known_;  // only while loading
    AlertDay day_;
    bool noticePosted_ = false;
    QString activationToken_; // the notification server's, for the next bring-forward
};

} // namespace cw
