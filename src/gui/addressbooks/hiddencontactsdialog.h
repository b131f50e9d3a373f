#pragma once
// "Hidden Contacts": the contacts of one address book whose birthdays the user hid from the list,
// each of which can be shown again.
#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;

namespace cw {

class HiddenContactsDialog : public QDialog {
    Q_OBJECT
  public:
    // shownAgain runs after a contact has been shown again, to bring its row back into the list.
    HiddenContactsDialog(qint64 sourceId, const QString& sourceName, std::function<void()> shownAgain,
                         QWidget* parent = nullptr);

    QListWidget* contactList;
    QPushButton* showButton;
    QPushButton* closeButton;

  private:
    void fill();
    void showAgain();

    qint64 sourceId_;
    std::function<void()> shownAgain_;
};

} // namespace cw
