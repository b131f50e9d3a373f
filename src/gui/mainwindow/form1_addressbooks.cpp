// The address books from the main window: their window, the list following their syncs, and rows of
// theirs that the user deletes.
#include "gui/mainwindow/form1.h"

#include "core/addressbook/sources.h"
#include "core/apperror.h"
#include "core/statements.h"
#include "gui/addressbooks/addressbookswindow.h"
#include "gui/addressbooks/addressbooksync.h"
#include "gui/services/datafolder.h"
#include "gui/services/errorreport.h"
#include "gui/services/listview.h"
#include "gui/services/services.h"

#include <QTimer>

namespace cw {

void Form1::showAddressBooks() {
    AddressBooksWindow window(*addressBooks, this);
    window.exec();
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
