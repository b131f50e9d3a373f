#include "gui/addressbooks/addsourcedialog.h"

#include "gui/addressbooks/sourcetext.h"
#include "gui/services/dialogkeys.h"
#include "gui/services/services.h"
#include "gui/services/theming.h"
#include "gui/tray/programicon.h"
#include "sync/discovery.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

using cw::addressbook::DavClient;

namespace cw {

namespace {
const QString dialogTitle = QStringLiteral("Add Address Book");
const QString hint =
    QStringLiteral("A contacts folder with one .vcf file per contact, such as ~/.contacts/friends, "
                   "or the address of a CardDAV server or address book, such as "
                   "https://cloud.example.org.");

QString expandHome(const QString& text) {
    if (text == QLatin1String("~") || text.startsWith(QLatin1String("~/")))
        return QDir::homePath() + text.mid(1);
    return text;
}

const QString plainWarning = QStringLiteral(
    "This address is not encrypted: anyone on the network can read the password and the contacts.");

// A host typed without a scheme is reached over https: a password never travels in clear unasked.
QUrl addressOf(const QString& text) {
    return QUrl(text.contains(QLatin1String("://")) ? text : QStringLiteral("https://") + text);
}

QPushButton* makeButton(const QString& caption, const QString& accessibleName, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAccessibleName(accessibleName);
    return button;
}
} // namespace

bool isAddressText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('/')) || trimmed.startsWith(QLatin1Char('~')) ||
        trimmed.startsWith(QLatin1Char('.')) ||
        trimmed.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return false;
    return !QFileInfo(trimmed).isDir(); // a folder named relative to the current one
}

AddSourceDialog::AddSourceDialog(QStringList subscribed, QWidget* parent)
    : QDialog(parent), subscribed_(std::move(subscribed)) {
    setWindowTitle(dialogTitle);
    setWindowIcon(programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    locationBox = new QLineEdit(this);
    locationBox->setAccessibleName(QStringLiteral("Folder or address"));
    browseButton = makeButton(QStringLiteral("&Browse…"), QStringLiteral("Browse for a folder"), this);
    userNameBox = new QLineEdit(this);
    userNameBox->setAccessibleName(QStringLiteral("User name"));
    passwordBox = new QLineEdit(this);
    passwordBox->setAccessibleName(QStringLiteral("Password"));
    passwordBox->setEchoMode(QLineEdit::Password);
    statusLabel = new QLabel(this);
    statusLabel->setAccessibleName(QStringLiteral("Status"));
    statusLabel->setTextFormat(Qt::PlainText);
    statusLabel->setWordWrap(true);
    addButton = makeButton(QStringLiteral("&Add"), QStringLiteral("Add"), this);
    cancelButton = makeButton(QStringLiteral("&Cancel"), QStringLiteral("Cancel"), this);

    auto* where = new QHBoxLayout;
    where->addWidget(locationBox, 1);
    where->addWidget(browseButton);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    auto* whereLabel = new QLabel(QStringLiteral("&Folder or address:"), this);
    whereLabel->setBuddy(locationBox);
    form->addRow(whereLabel, where);
    form->addRow(QStringLiteral("&User name:"), userNameBox);
    form->addRow(QStringLiteral("&Password:"), passwordBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(addButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(statusLabel);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 80);
    statusLabel->setMinimumHeight(fontMetrics().lineSpacing() * 2);

    connect(browseButton, &QPushButton::clicked, this, &AddSourceDialog::browse);
    connect(locationBox, &QLineEdit::textChanged, this, &AddSourceDialog::locationEdited);
    connect(addButton, &QPushButton::clicked, this, &AddSourceDialog::add);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    ThemeWindow(this);
    setDialogKeys(this, addButton, locationBox);
    // The address and what goes with it first; "Browse…" is for those who do not type a folder.
    const QList<QWidget*> order{locationBox, userNameBox, passwordBox, browseButton, addButton, cancelButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    locationEdited();
}

AddSourceDialog::~AddSourceDialog() = default;

void AddSourceDialog::browse() {
    FileDialogRequest request;
    request.title = QStringLiteral("Contacts Folder");
    request.presetName =
        isAddressText(locationBox->text()) ? QDir::homePath() : expandHome(locationBox->text());
    const QString folder = services().fileDialogs().getExistingDirectory(this, request);
    if (!folder.isEmpty())
        locationBox->setText(QDir::toNativeSeparators(folder));
}

// The user name and password belong to an address; a folder needs neither.
void AddSourceDialog::locationEdited() {
    const bool address = isAddressText(locationBox->text());
    userNameBox->setEnabled(address);
    passwordBox->setEnabled(address);
    showText(statusLabel, hint);
}

void AddSourceDialog::add() {
    const QString text = locationBox->text().trimmed();
    if (text.isEmpty()) {
        refuse(QStringLiteral("Type the folder of the contacts, or the address of the address book."));
        return;
    }
    if (!isAddressText(text)) {
        const QUrl asUrl(text);
        addFolder(asUrl.isLocalFile() ? asUrl.toLocalFile() : expandHome(text));
        return;
    }
    QUrl address = addressOf(text);
    // A user name and password typed inside the address go to their boxes: the address is kept, and
    // shown, without them.
    if (!address.userInfo().isEmpty()) {
        if (userNameBox->text().isEmpty())
            userNameBox->setText(address.userName());
        if (passwordBox->text().isEmpty())
            passwordBox->setText(address.password());
        address.setUserInfo({});
        locationBox->setText(address.toString());
    }
    if (!address.isValid() || address.host().isEmpty()) {
        refuse(
            QStringLiteral("“%1” is neither a folder nor a web address.").arg(locationBox->text().trimmed()));
        return;
    }
    if (userNameBox->text().isEmpty() != passwordBox->text().isEmpty()) { // none: a server with no login
        refuse(QStringLiteral("Type the user name and the password of the address book."),
               userNameBox->text().isEmpty() ? userNameBox : passwordBox);
        return;
    }
    // A server on this computer needs no warning; any other over http:// does, each time it is added.
    const bool plain = address.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 &&
                       !DavClient::isLoopback(address);
    if (plain &&
        !ask(plainWarning + QStringLiteral("\n\nUse %1 all the same?").arg(address.toDisplayString()))) {
        showText(statusLabel, plainWarning);
        return;
    }
    addAddress(address, {plain, {}}, !text.contains(QLatin1String("://")));
}

void AddSourceDialog::addFolder(const QString& path) {
    const QFileInfo folder(path);
    if (!folder.isDir()) {
        refuse(QStringLiteral("There is no folder “%1”.").arg(path));
        return;
    }
    const QString canonical = folder.canonicalFilePath();
    if (subscribed_.contains(canonical)) {
        refuse(QStringLiteral("This folder is already subscribed."));
        return;
    }
    sources_.push_back(
        {addressbook::SourceKind::Folder, canonical, {}, QFileInfo(canonical).fileName(), {}, {}});
    accept();
}

void AddSourceDialog::addAddress(const QUrl& address, const addressbook::DavTrust& trust,
                                 bool guessedScheme) {
    address_ = address;
    trust_ = trust;
    setLooking(true);
    if (discovery_) { // the search before may be the one whose failure brought us here
        discovery_->disconnect(this);
        discovery_->deleteLater();
    }
    discovery_ = new addressbook::Discovery(this);
    connect(discovery_, &addressbook::Discovery::found, this, &AddSourceDialog::found);
    connect(discovery_, &addressbook::Discovery::failed, this, &AddSourceDialog::failed);
    showText(statusLabel, QStringLiteral("Looking for address books at %1…").arg(address.host()));
    discovery_->start(address, userNameBox->text(), passwordBox->text(), trust, guessedScheme);
}

void AddSourceDialog::found(const QList<addressbook::FoundBook>& books) {
    setLooking(false);
    for (const addressbook::FoundBook& book : books) {
        const QString location = book.url.adjusted(QUrl::RemoveUserInfo).toString();
        if (!subscribed_.contains(location))
            sources_.push_back({addressbook::SourceKind::CardDav, location, userNameBox->text(),
                                book.displayName.isEmpty() ? book.url.host() : book.displayName,
                                passwordBox->text(), trust_});
    }
    if (!sources_.empty())
        accept();
    else if (books.isEmpty())
        refuse(addressbook::DavClient::noBookText());
    else
        refuse(QStringLiteral("Every address book at this address is already subscribed."));
}

void AddSourceDialog::failed(const QString& error) {
    setLooking(false);
    if (!trustCertificate(error) && !usePlainAddress())
        refuse(error);
}

// The certificate is named by its host and fingerprint, which the user can compare with the server's
// own; trusted, it is the one certificate the book accepts from then on.
bool AddSourceDialog::trustCertificate(const QString& error) {
    const QSslCertificate certificate = discovery_->untrustedCertificate();
    if (certificate.isNull() || !trust_.certificate.isEmpty())
        return false;
    if (!ask(QStringLiteral("%1\n\nServer: %2\nSHA-256 fingerprint: %3\n\nTrust this certificate for this "
                            "address book? Do so only if the fingerprint is your server's.")
                 .arg(error, address_.host(), addressbook::fingerprintOf(certificate))))
        return false;
    addAddress(address_, {trust_.allowHttp, certificate.toPem()});
    return true;
}

// Nothing answered at the https:// address guessed for what was typed, but a WebDAV server answers
// at its http:// twin.
bool AddSourceDialog::usePlainAddress() {
    const QUrl plain = discovery_->plainAddress();
    if (!plain.isValid())
        return false;
    const bool loopback = DavClient::isLoopback(plain);
    QString question = QStringLiteral("No secure server answers at %1, but a CardDAV server answers at %2.")
                           .arg(address_.toDisplayString(), plain.toDisplayString());
    if (!loopback)
        question += QLatin1String("\n\n") + plainWarning;
    if (!ask(question + QStringLiteral("\n\nUse %1?").arg(plain.toDisplayString())))
        return false;
    locationBox->setText(plain.toString());
    addAddress(plain, {!loopback, {}});
    return true;
}

// A question in its own box, kept in the status line while it is asked.
bool AddSourceDialog::ask(const QString& question) {
    showText(statusLabel, question);
    return services().messages().show(question, dialogTitle, MessageIcon::Exclamation,
                                      MessageButtons::YesNo) == MessageResult::Yes;
}

// While the address is followed, only Cancel works; it stops the search.
void AddSourceDialog::setLooking(bool looking) {
    for (QWidget* control : {static_cast<QWidget*>(locationBox), static_cast<QWidget*>(browseButton),
                             static_cast<QWidget*>(addButton)})
        control->setEnabled(!looking);
    userNameBox->setEnabled(!looking && isAddressText(locationBox->text()));
    passwordBox->setEnabled(userNameBox->isEnabled());
    setCursor(looking ? Qt::BusyCursor : Qt::ArrowCursor);
}

// The problem stays in the status line after its message box, and the box at fault takes the keys.
void AddSourceDialog::refuse(const QString& message, QLineEdit* fault) {
    showText(statusLabel, message);
    showProblem(message, dialogTitle);
    (fault ? fault : locationBox)->setFocus();
}

} // namespace cw
