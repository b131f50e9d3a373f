#include "gui/addressbooks/hiddencontactsdialog.h"

#include "core/apperror.h"
#include "gui/addressbooks/sourcetext.h"
#include "gui/services/datafolder.h"
#include "gui/services/dialogkeys.h"
#include "gui/services/theming.h"
#include "gui/tray/programicon.h"
#include "store/sources.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace cw {

namespace {
constexpr int keyRole = Qt::UserRole;
}

HiddenContactsDialog::HiddenContactsDialog(qint64 sourceId, const QString& sourceName,
                                           std::function<void()> shownAgain, QWidget* parent)
    : QDialog(parent), sourceId_(sourceId), shownAgain_(std::move(shownAgain)) {
    setWindowTitle(QStringLiteral("Hidden Contacts"));
    setWindowIcon(programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // The label names its list for the keyboard, so a "&" of the name is doubled to be shown as typed.
    auto* caption = new QLabel(QStringLiteral("Birthdays hidden from “%1”:")
                                   .arg(QString(sourceName).replace(QLatin1Char('&'), QStringLiteral("&&"))),
                               this);
    caption->setTextFormat(Qt::PlainText);
    contactList = new QListWidget(this);
    contactList->setAccessibleName(QStringLiteral("Hidden contacts"));
    caption->setBuddy(contactList);
    showButton = new QPushButton(QStringLiteral("Show Again"), this);
    showButton->setAccessibleName(QStringLiteral("Show Again"));
    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setAccessibleName(QStringLiteral("Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(showButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(contactList, 1);
    layout->addLayout(buttons);
    resize(fontMetrics().averageCharWidth() * 50, fontMetrics().lineSpacing() * 16);

    connect(showButton, &QPushButton::clicked, this, &HiddenContactsDialog::showAgain);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(contactList, &QListWidget::currentRowChanged, this,
            [this](int row) { showButton->setEnabled(row >= 0); });
    ThemeWindow(this);
    setDialogKeys(this, closeButton, contactList);
    fill();
}

void HiddenContactsDialog::fill() {
    contactList->clear();
    try {
        for (const addressbook::HiddenContact& contact :
             addressbook::hiddenContacts(sharedConnection(), sourceId_)) {
            auto* item =
                new QListWidgetItem(contact.name.isEmpty() ? contact.href : contact.name, contactList);
            item->setData(keyRole, contact.key);
            item->setToolTip(contact.href);
        }
    } catch (const AppError& error) {
        showProblem(error.description(), windowTitle());
    }
    contactList->setCurrentRow(contactList->count() > 0 ? 0 : -1);
    showButton->setEnabled(contactList->currentRow() >= 0);
}

void HiddenContactsDialog::showAgain() {
    const QListWidgetItem* item = contactList->currentItem();
    if (!item)
        return;
    const int row = contactList->currentRow();
    try {
        addressbook::showContact(sharedConnection(), sourceId_, item->data(keyRole).toString());
    } catch (const AppError& error) {
        showProblem(error.description(), windowTitle());
        return;
    }
    delete contactList->takeItem(row);
    contactList->setCurrentRow(std::min(row, contactList->count() - 1));
    showButton->setEnabled(contactList->currentRow() >= 0);
    shownAgain_();
}

} // namespace cw
