#include "gui/addressbooks/passwordprompt.h"

#include "core/addressbook/addresscredentials.h"
#include "core/apperror.h"

#include "gui/services/dialogkeys.h"
#include "gui/services/theming.h"
#include "gui/tray/programicon.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace cw {

namespace {
// Asks for one address book's password without blocking the window: the sync waits for the answer.
QDialog* makePasswordDialog(QWidget* window, const QString& explanation, QLineEdit*& field) {
    auto* dialog = new QDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Address Book Password"));
    dialog->setObjectName(QStringLiteral("passwordQuestion"));
    dialog->setWindowIcon(programIcon());
    auto* text = new QLabel(explanation, dialog);
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    field = new QLineEdit(dialog);
    field->setEchoMode(QLineEdit::Password);
    field->setAccessibleName(QStringLiteral("Password"));
    text->setBuddy(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setAccessibleName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    layout->addWidget(field);
    layout->addWidget(buttons);
    dialog->setMinimumWidth(dialog->fontMetrics().averageCharWidth() * 60);
    ThemeWindow(dialog);
    setDialogKeys(dialog, ok, field);
    return dialog;
}
} // namespace

PasswordPrompt::PasswordPrompt(QWidget* window, QObject* parent)
    : PasswordSource(parent), window_(window), keychain_(new addressbook::KeychainPasswords(this)) {
    connect(keychain_, &addressbook::PasswordSource::passwordReady, this, &PasswordPrompt::storeAnswered);
}

PasswordPrompt::~PasswordPrompt() {
    for (const QPointer<QDialog>& dialog : std::as_const(asking_))
        delete dialog.data();
}

void PasswordPrompt::requestPassword(qint64 sourceId, const QString& location, const QString& userName) {
    // The store may not have the new entry yet when the first sync asks.
    if (firstSync_.contains(sourceId)) {
        emit passwordReady(sourceId, firstSync_.take(sourceId), true);
        return;
    }
    waiting_.insert(sourceId, {location, userName});
    keychain_->requestPassword(sourceId, location, userName);
}

void PasswordPrompt::storeAnswered(qint64 sourceId, const QString& password, bool found) {
    if (!waiting_.contains(sourceId))
        return;
    const auto [location, userName] = waiting_.take(sourceId);
    if (found || keychain_->secretStoreLocked()) // a locked store is named as such, not asked around
        emit passwordReady(sourceId, password, found);
    else
        askUser(sourceId, location, userName);
}

void PasswordPrompt::askUser(qint64 sourceId, const QString& location, const QString& userName) {
    if (asking_.value(sourceId))
        return; // one question per address book; its answer serves the sync that waits
    const bool noStore = keychain_->secretStoreMissing();
    QString explanation =
        noStore ? QStringLiteral("This desktop has no secret store (such as GNOME Keyring or KWallet), so "
                                 "Candlewise keeps no password and asks for it at each sync.\n\n")
                : QStringLiteral("The secret store holds no password for this address book.\n\n");
    explanation += QStringLiteral("Password of %1 at %2:").arg(userName, location);
    QLineEdit* field = nullptr;
    QDialog* dialog = makePasswordDialog(window_, explanation, field);
    asking_.insert(sourceId, dialog);
    connect(dialog, &QDialog::finished, this, [this, sourceId, userName, noStore, field](int result) {
        asking_.remove(sourceId);
        const QString password = field->text();
        if (result != QDialog::Accepted || password.isEmpty()) {
            emit passwordReady(sourceId, {}, false);
            return;
        }
        if (!noStore)
            keychain_->savePassword(sourceId, userName, password);
        emit passwordReady(sourceId, password, true);
    });
    dialog->show(); // the window stays usable while the question waits
}

QString PasswordPrompt::missingPasswordText() const {
    if (keychain_->secretStoreLocked())
        return keychain_->missingPasswordText();
    return QStringLiteral("No password was given for this address book.");
}

void PasswordPrompt::moveFromAddresses(Connection& connection) {
    try {
        for (const auto& [sourceId, userName, password] :
             addressbook::takeCredentialsFromAddresses(connection))
            remember(sourceId, userName, password);
    } catch (const AppError&) {
        // the store cannot be written now; the next start cleans it
    }
}

void PasswordPrompt::remember(qint64 sourceId, const QString& userName, const QString& password) {
    firstSync_.insert(sourceId, password);
    keychain_->savePassword(sourceId, userName, password);
}

void PasswordPrompt::forget(qint64 sourceId) {
    firstSync_.remove(sourceId);
    keychain_->forgetPassword(sourceId);
}

void PasswordPrompt::askNew(qint64 sourceId, const QString& location, const QString& userName,
                            QWidget* parent, const std::function<void()>& given) {
    QString explanation = QStringLiteral("New password of %1 at %2:").arg(userName, location);
    if (keychain_->secretStoreMissing())
        explanation += QStringLiteral("\n(With no secret store, it serves the next sync only.)");
    QLineEdit* field = nullptr;
    QDialog* dialog = makePasswordDialog(parent, explanation, field);
    connect(dialog, &QDialog::accepted, this, [this, sourceId, userName, field, given] {
        if (field->text().isEmpty())
            return;
        remember(sourceId, userName, field->text());
        given();
    });
    dialog->open();
}

} // namespace cw
