#include "gui/addressbooks/passwordprompt.h"

#include "core/apperror.h"
#include "sync/addresscredentials.h"

#include "gui/services/dialogkeys.h"
#include "gui/services/theming.h"
#include "gui/tray/programicon.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
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

PasswordPrompt::PasswordPrompt(QWidget* window, const QString& storePath, QObject* parent)
    : PasswordSource(parent), window_(window),
      keychain_(new addressbook::KeychainPasswords(storePath, this)) {
    connect(keychain_, &addressbook::PasswordSource::passwordReady, this, &PasswordPrompt::storeAnswered);
    connect(keychain_, &addressbook::PasswordSource::waitingChanged, this, &PasswordSource::waitingChanged);
}

PasswordPrompt::~PasswordPrompt() {
    for (const Question& question : std::as_const(asking_))
        delete question.dialog.data();
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
    const addressbook::Account account = addressbook::accountOf(location, userName);
    Question& question = asking_[account.key()];
    if (!question.books.contains(sourceId))
        question.books << sourceId;
    emit waitingChanged(sourceId);
    if (question.dialog)
        return; // one question per account; its answer serves every book that waits
    const bool noStore = keychain_->secretStoreMissing();
    QString explanation =
        noStore ? QStringLiteral("This desktop has no secret store (such as GNOME Keyring or KWallet), so "
                                 "Candlewise keeps no password and asks for it at each sync.\n\n")
                : QStringLiteral("The secret store holds no password for this account.\n\n");
    explanation += QStringLiteral("Password of %1 at %2:").arg(userName, account.origin);
    QLineEdit* field = nullptr;
    QDialog* dialog = makePasswordDialog(over_ ? over_ : window_, explanation, field);
    question.dialog = dialog;
    connect(dialog, &QDialog::finished, this,
            [this, key = account.key(), sourceId, location, userName, noStore, field](int result) {
                const QString password = field->text();
                const bool given = result == QDialog::Accepted && !password.isEmpty();
                if (given && !noStore)
                    keychain_->savePassword(sourceId, location, userName, password);
                answered(key, given ? password : QString(), given);
            });
    dialog->show(); // the window stays usable while the question waits
}

void PasswordPrompt::answered(const QString& account, const QString& password, bool found) {
    for (const qint64 sourceId : asking_.take(account).books) {
        emit waitingChanged(sourceId);
        emit passwordReady(sourceId, password, found);
    }
}

QString PasswordPrompt::waitingText(qint64 sourceId) const {
    for (const Question& question : asking_)
        if (question.books.contains(sourceId))
            return QStringLiteral("Waiting for the password");
    return keychain_->waitingText(sourceId);
}

// An open question follows: over the window that opens (which may block the one below it), and back
// over the main window when that one closes.
void PasswordPrompt::askOver(QWidget* window) {
    over_ = window;
    const auto move = [this] {
        QWidget* const target = over_ ? over_.data() : window_.data();
        for (const Question& question : std::as_const(asking_))
            if (question.dialog && target && question.dialog->parentWidget() != target) {
                question.dialog->setParent(target, question.dialog->windowFlags());
                question.dialog->show();
                question.dialog->raise();
            }
    };
    if (window) // shown once its constructor is done: the questions move on the next turn
        QTimer::singleShot(0, window, move);
    else // before the closing window takes its questions with it
        move();
}

QString PasswordPrompt::missingPasswordText() const {
    if (keychain_->secretStoreLocked())
        return keychain_->missingPasswordText();
    return QStringLiteral("No password was given for this address book.");
}

void PasswordPrompt::moveFromAddresses(Connection& connection) {
    try {
        for (const auto& [sourceId, location, userName, password] :
             addressbook::takeCredentialsFromAddresses(connection))
            remember({sourceId}, location, userName, password);
    } catch (const AppError&) {
        // the store cannot be written now; the next start cleans it
    }
}

void PasswordPrompt::remember(const QList<qint64>& books, const QString& location, const QString& userName,
                              const QString& password) {
    for (const qint64 sourceId : books)
        firstSync_.insert(sourceId, password);
    if (!books.isEmpty())
        keychain_->savePassword(books.first(), location, userName, password);
}

void PasswordPrompt::forget(qint64 sourceId, const QString& location, const QString& userName) {
    firstSync_.remove(sourceId);
    keychain_->forgetPassword(sourceId, location, userName);
}

void PasswordPrompt::askNew(qint64 sourceId, const QString& location, const QString& userName,
                            QWidget* parent, const std::function<void()>& given) {
    QString explanation = QStringLiteral("New password of %1 at %2:")
                              .arg(userName, addressbook::accountOf(location, userName).origin);
    if (keychain_->secretStoreMissing())
        explanation += QStringLiteral("\n(With no secret store, it serves the next sync only.)");
    else
        explanation += QStringLiteral("\n(It serves every address book of this account.)");
    QLineEdit* field = nullptr;
    QDialog* dialog = makePasswordDialog(parent, explanation, field);
    connect(dialog, &QDialog::accepted, this, [this, sourceId, location, userName, field, given] {
        if (field->text().isEmpty())
            return;
        remember({sourceId}, location, userName, field->text());
        given();
    });
    dialog->open();
}

} // namespace cw
