// The address books from the main window: their window, the list following their syncs, the book each
// row comes from, the books that fail, and rows of theirs that the user deletes.
#include "gui/mainwindow/form1.h"

#include "core/apperror.h"
#include "core/config.h"
#include "core/statements.h"
#include "gui/addressbooks/addressbookswindow.h"
#include "gui/addressbooks/addressbooksync.h"
#include "gui/services/datafolder.h"
#include "gui/services/errorreport.h"
#include "gui/services/listview.h"
#include "gui/services/services.h"
#include "gui/tray/csystray.h"
#include "store/sources.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace cw {

void Form1::showAddressBooks() {
    AddressBooksWindow window(*addressBooks, this);
    window.exec();
}

void Form1::showRowInAddressBooks() {
    if (const auto origin = originOfRow(ListView1->selectedRow())) {
        AddressBooksWindow window(*addressBooks, this, origin->sourceId);
        window.exec();
    }
}

// Read with the rows, on the connection the refill reads them from: a hover never reads the store.
void Form1::loadOrigins() {
    try {
        origins_ = addressbook::originsOfRows(sharedConnection());
    } catch (const AppError&) {
        origins_.clear(); // the rows are shown as the user's own
    }
}

std::optional<addressbook::RowOrigin> Form1::originOfRow(int row) const {
    if (row < 0 || size_t(row) >= ListView1->rows().size())
        return std::nullopt;
    const auto found = origins_.constFind(ListView1->rows().rows->id(size_t(row)));
    if (found == origins_.constEnd())
        return std::nullopt;
    return *found;
}

void Form1::followCurrentRow() {
    showInBooks_->setVisible(originOfRow(ListView1->selectedRow()).has_value());
}

void Form1::buildFailingBar() {
    failingBar = new QWidget(this);
    auto* layout = new QHBoxLayout(failingBar);
    layout->setContentsMargins(0, 0, 0, 0);
    failingLabel = new QLabel(failingBar);
    failingLabel->setAccessibleName(QStringLiteral("Address books not synced"));
    failingLabel->setTextFormat(Qt::PlainText);
    failingButton = new QPushButton(QStringLiteral("Address Books…"), failingBar);
    failingButton->setAccessibleName(QStringLiteral("Address Books"));
    layout->addWidget(failingLabel, 1);
    layout->addWidget(failingButton);
    failingBar->hide();
    failingButton->hide(); // laid out once the bar shows
    connect(failingButton, &QPushButton::clicked, this, &Form1::showAddressBooks);
    connect(addressBooks, &AddressBookSync::failingChanged, this, &Form1::followFailingBooks);
}

// The bar and the tray's tip say which books fail for as long as any does.
void Form1::followFailingBooks() {
    const QString summary = addressBooks->failingSummary();
    failingLabel->setText(summary);
    failingLabel->setToolTip(summary); // a long name may not fit a narrow window
    failingBar->setVisible(!summary.isEmpty());
    failingButton->setVisible(!summary.isEmpty());
    placeControls();
    followReminderTimes(); // the tray's tip
}

// A pass that runs (an alert is up) is not refilled under it: the list follows once it has ended.
void Form1::followAddressBooks() {
    if (inListPass_ || startingUp) {
        QTimer::singleShot(1000, this, &Form1::followAddressBooks);
        return;
    }
    refill(false, false, true);
}

// Candlewise never deletes a contact from an address book: the user may hide its birthday instead.
bool Form1::hideSubscribedRow(int row) {
    const qint64 id = statements::idFromText(ListView1->itemText(row));
    std::optional<addressbook::RowOrigin> origin;
    try {
        origin = addressbook::originOf(sharedConnection(), id);
    } catch (const AppError&) {
        return false; // a store without address books holds the user's own rows only
    }
    if (!origin)
        return false;
    const MessageResult answer = services().messages().show(
        QStringLiteral("%1 comes from the address book “%2”, which keeps the contact. Hide this contact's "
                       "birthday from the list?\n\n“Show Hidden…” in Address Books (Ctrl+B) shows it again.")
            .arg(ListView1->subItem(row, personColumn), origin->sourceName),
        QStringLiteral("Delete Selected Birthday Reminder"), MessageIcon::None, MessageButtons::YesNo);
    if (answer != MessageResult::Yes)
        return true;
    ErrorGuard guard(Location::Form1_PushButton1_Click);
    guard.step(3, [&] { addressbook::hideContact(sharedConnection(), id); });
    guard.step(4, [&] { ListBirthdays(false); });
    return true;
}

} // namespace cw
