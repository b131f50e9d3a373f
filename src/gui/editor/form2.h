#pragma once
// The birthday editor: one name, one month, one day, the year when known and the kind of day; adds a
// new row or changes the one named by mBirthdayID. A row that comes from an address book is shown
// read-only: it is changed there.
#include "store/dateextras.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace cw {

class Form2 : public QDialog {
    Q_OBJECT
  public:
    // The caller names the row first (empty: a new one), so the load sees it; refillList is the main
    // window's list refill, run after a save.
    Form2(const QString& birthdayId, std::function<void()> refillList, QWidget* parent = nullptr);

    void PushButton6_Click();
    void PushButton1_Click();

    const QString mBirthdayID;
    QGroupBox* Frame1; // "Month"
    QGroupBox* Frame2; // "Person's Name"
    QGroupBox* Frame3; // "Day"
    QGroupBox* Frame4; // "Year"
    QGroupBox* Frame5; // "Kind"
    QLineEdit* Text1;
    QComboBox* Combo1;
    QComboBox* Combo2;
    QLineEdit* Text2;      // the year; empty when not known
    QRadioButton* Option1; // "Birthday"
    QRadioButton* Option2; // "Anniversary"
    QPushButton* PushButton6;
    QPushButton* PushButton1;
    QLabel* SourceLine = nullptr; // which address book a read-only row comes from

  private:
    void buildControls();
    void Form_Load();
    void showAsSubscribed();
    DateExtras enteredExtras() const;
    std::function<void()> refillList_;
    DateExtras stored_;  // the row's as loaded: a date of death, which the editor does not show, stays
    QString sourceName_; // the address book the row comes from; empty for the user's own rows
};

} // namespace cw
