#pragma once
// "Add Address Book": a contacts folder, or the address of a CardDAV address book or account with
// its user name and password. An address is followed to the address books it leads to before the
// dialog closes; what it found is in sources(). What the user trusts goes with each book: http:// to
// a server off this computer once its warning is accepted, and a certificate the system does not
// trust once its fingerprint is shown and accepted.
#include "store/sources.h"
#include "sync/davclient.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace cw {

namespace addressbook {
class Discovery;
struct FoundBook;
} // namespace addressbook

struct SourceToAdd {
    addressbook::SourceKind kind = addressbook::SourceKind::Folder;
    QString location;
    QString userName;
    QString displayName;
    QString password;
    addressbook::DavTrust trust;
};

class AddSourceDialog : public QDialog {
    Q_OBJECT
  public:
    // subscribed: the locations already subscribed, which are not added again.
    AddSourceDialog(QStringList subscribed, QWidget* parent = nullptr);
    ~AddSourceDialog() override;

    const std::vector<SourceToAdd>& sources() const { return sources_; }

    QLineEdit* locationBox;
    QPushButton* browseButton;
    QLineEdit* userNameBox;
    QLineEdit* passwordBox;
    QLabel* statusLabel;
    QPushButton* addButton;
    QPushButton* cancelButton;

  private:
    void browse();
    void locationEdited();
    void add();
    void addFolder(const QString& path);
    void addAddress(const QUrl& address, const addressbook::DavTrust& trust, bool guessedScheme = false);
    // Asks the user about what the search could not trust; true when it goes on with the answer.
    bool trustCertificate(const QString& error);
    bool usePlainAddress();
    bool ask(const QString& question);
    void found(const QList<addressbook::FoundBook>& books);
    void failed(const QString& error);
    void setLooking(bool looking);
    // Says the problem and gives the keys to the box at fault, the address box unless told.
    void refuse(const QString& message, QLineEdit* fault = nullptr);

    QStringList subscribed_;
    std::vector<SourceToAdd> sources_;
    addressbook::Discovery* discovery_ = nullptr;
    QUrl address_;
    addressbook::DavTrust trust_;
};

// Whether the text names an address rather than a folder: a web address, or a host name typed
// without "https://".
bool isAddressText(const QString& text);

} // namespace cw
