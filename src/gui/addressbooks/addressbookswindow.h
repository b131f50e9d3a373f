#pragma once
// "Address Books": the address books the list is subscribed to, each with its kind, its number of
// birthdays and how its last sync went, and the commands to add, remove, rename and sync them and to
// show hidden contacts again. Syncs go on while it is open, with their progress in it.
#include "store/sources.h"

#include <QDialog>
#include <QHash>
#include <QSet>

#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace cw {

class AddressBookSync;

class AddressBooksWindow : public QDialog {
    Q_OBJECT
  public:
    enum Column { NameColumn, KindColumn, BirthdaysColumn, LastSyncColumn };

    // Opens with the given book selected, or the first.
    explicit AddressBooksWindow(AddressBookSync& sync, QWidget* parent = nullptr,
                                std::optional<qint64> select = {});
    ~AddressBooksWindow() override;

    QTreeWidget* sourceList;
    QLabel* detailLabel; // the selected book's place and the outcome of its last sync, in full
    QProgressBar* progressBar;
    QPushButton* addButton;
    QPushButton* removeButton;
    QPushButton* renameButton;
    QPushButton* syncButton;
    QPushButton* passwordButton;
    QPushButton* hiddenButton;
    QPushButton* closeButton;

  private:
    void fill(std::optional<qint64> select = {});
    // The rows of the sources last read, without reading the store.
    void showSources(std::optional<qint64> select);
    void selectionChanged();
    void add();
    void remove();
    void rename();
    void syncNow();
    void showHidden();
    void newPassword();
    void progress(qint64 sourceId, int done, int total);
    void showStatus(qint64 sourceId);
    void showProgress();
    std::optional<addressbook::SourceInfo> selected() const;
    QString statusText(const addressbook::SourceInfo& source) const;

    AddressBookSync& sync_;
    std::vector<addressbook::SourceInfo> sources_;
    QHash<qint64, std::pair<int, int>> progress_; // done and total of the syncs that run
    QSet<qint64> busy_; // sources whose last sync found the store held by another program
};

} // namespace cw
