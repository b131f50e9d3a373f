#include "gui/addressbooks/addressbookswindow.h"

#include "core/apperror.h"
#include "core/nametext.h"
#include "gui/addressbooks/addressbooksync.h"
#include "gui/addressbooks/addsourcedialog.h"
#include "gui/addressbooks/hiddencontactsdialog.h"
#include "gui/addressbooks/passwordprompt.h"
#include "gui/addressbooks/sourcetext.h"
#include "gui/services/datafolder.h"
#include "gui/services/dialogkeys.h"
#include "gui/services/services.h"
#include "gui/services/theming.h"
#include "gui/tray/programicon.h"
#include "sync/account.h"
#include "sync/syncjob.h"
#include "sync/syncrunner.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTreeWidget>

namespace cw {

namespace {
const QString windowCaption = QStringLiteral("Address Books");
constexpr int idRole = Qt::UserRole;

QPushButton* makeButton(const QString& caption, const QString& accessibleName, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAccessibleName(accessibleName);
    return button;
}

QString birthdaysText(int count) {
    return count == 1 ? QStringLiteral("its 1 birthday") : QStringLiteral("its %1 birthdays").arg(count);
}
} // namespace

AddressBooksWindow::AddressBooksWindow(AddressBookSync& sync, QWidget* parent, std::optional<qint64> select)
    : QDialog(parent), sync_(sync) {
    setWindowTitle(windowCaption);
    setWindowIcon(programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    sourceList = new QTreeWidget(this);
    sourceList->setAccessibleName(QStringLiteral("Address books"));
    sourceList->setHeaderLabels({QStringLiteral("Address Book"), QStringLiteral("Kind"),
                                 QStringLiteral("Birthdays"), QStringLiteral("Last Sync")});
    sourceList->setRootIsDecorated(false);
    sourceList->setUniformRowHeights(true);
    sourceList->setAllColumnsShowFocus(true);
    QHeaderView* header = sourceList->header();
    header->setStretchLastSection(true);
    header->setSectionResizeMode(KindColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(BirthdaysColumn, QHeaderView::ResizeToContents);
    sourceList->setColumnWidth(NameColumn, fontMetrics().averageCharWidth() * 28);
    detailLabel = new QLabel(this);
    detailLabel->setAccessibleName(QStringLiteral("Selected address book"));
    detailLabel->setTextFormat(Qt::PlainText);
    detailLabel->setWordWrap(true);
    detailLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detailLabel->setMinimumHeight(fontMetrics().lineSpacing() * 2);
    progressBar = new QProgressBar(this);
    progressBar->setAccessibleName(QStringLiteral("Sync progress"));
    progressBar->setTextVisible(false);

    addButton = makeButton(QStringLiteral("&Add…"), QStringLiteral("Add"), this);
    removeButton = makeButton(QStringLiteral("&Remove"), QStringLiteral("Remove"), this);
    renameButton = makeButton(QStringLiteral("Re&name…"), QStringLiteral("Rename"), this);
    syncButton = makeButton(QStringLiteral("&Sync Now"), QStringLiteral("Sync Now"), this);
    passwordButton = makeButton(QStringLiteral("&Password…"), QStringLiteral("Password"), this);
    hiddenButton = makeButton(QStringLiteral("Show &Hidden…"), QStringLiteral("Show Hidden"), this);
    closeButton = makeButton(QStringLiteral("&Close"), QStringLiteral("Close"), this);
    // Delete in the list removes the selected book, F2 there renames it, F5 anywhere syncs; each as its
    // button would.
    const auto pressWith = [this](const QKeySequence& key, QWidget* scope, QPushButton* button) {
        auto* shortcut = new QShortcut(key, scope, nullptr, nullptr,
                                       scope == this ? Qt::WindowShortcut : Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    };
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button :
         {addButton, removeButton, renameButton, syncButton, passwordButton, hiddenButton})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceList, 1);
    layout->addWidget(detailLabel);
    layout->addWidget(progressBar);
    layout->addLayout(buttons);
    resize(std::max(sizeHint().width(), fontMetrics().averageCharWidth() * 90),
           fontMetrics().lineSpacing() * 20);

    pressWith(QKeySequence::Delete, sourceList, removeButton);
    pressWith(Qt::Key_F2, sourceList, renameButton);
    pressWith(Qt::Key_F5, this, syncButton);
    connect(addButton, &QPushButton::clicked, this, &AddressBooksWindow::add);
    connect(removeButton, &QPushButton::clicked, this, &AddressBooksWindow::remove);
    connect(renameButton, &QPushButton::clicked, this, &AddressBooksWindow::rename);
    connect(syncButton, &QPushButton::clicked, this, &AddressBooksWindow::syncNow);
    connect(hiddenButton, &QPushButton::clicked, this, &AddressBooksWindow::showHidden);
    connect(passwordButton, &QPushButton::clicked, this, &AddressBooksWindow::newPassword);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(sourceList, &QTreeWidget::currentItemChanged, this, &AddressBooksWindow::selectionChanged);
    addressbook::SyncRunner& runner = sync_.runner();
    connect(&runner, &addressbook::SyncRunner::progress, this, &AddressBooksWindow::progress);
    connect(&runner, &addressbook::SyncRunner::sourceFinished, this, [this](qint64 sourceId) {
        progress_.remove(sourceId);
        // A store held by another program is not read now: the window would wait for it.
        if (sync_.runner().isRetrying(sourceId)) {
            busy_.insert(sourceId);
            showSources({});
            return;
        }
        busy_.remove(sourceId);
        fill();
    });
    // A password asked for while the window is open is asked over it, and the book says it waits.
    sync_.passwords().askOver(this);
    connect(&sync_.passwords(), &addressbook::PasswordSource::waitingChanged, this,
            &AddressBooksWindow::showStatus);
    ThemeWindow(this);
    setDialogKeys(this, closeButton, sourceList);
    fill(select);
}

AddressBooksWindow::~AddressBooksWindow() {
    sync_.passwords().askOver(nullptr);
}

// Reads the sources again, keeping the selected one (or selecting the one given). A sync that runs
// shows from its start, before it reports any progress.
void AddressBooksWindow::fill(std::optional<qint64> select) {
    if (sharedConnection().State() == 0)
        return; // the program is ending (its list is closed): a sync that ends now has nothing to show
    if (!select)
        if (const auto current = selected())
            select = current->id;
    try {
        sources_ = addressbook::listSources(sharedConnection());
    } catch (const AppError& error) {
        sources_.clear();
        showProblem(error.description(), windowCaption);
    }
    showSources(select);
}

void AddressBooksWindow::showSources(std::optional<qint64> select) {
    if (!select)
        if (const auto current = selected())
            select = current->id;
    sourceList->clear();
    for (const addressbook::SourceInfo& source : sources_)
        if (sync_.runner().isRunning(source.id) && !progress_.contains(source.id))
            progress_.insert(source.id, {0, 0});
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const addressbook::SourceInfo& source : sources_) {
        auto* item =
            new QTreeWidgetItem(sourceList, {source.displayName, kindText(source.kind),
                                             QString::number(source.birthdayCount), statusText(source)});
        item->setData(NameColumn, idRole, source.id);
        item->setToolTip(NameColumn, source.location);
        item->setToolTip(LastSyncColumn, item->text(LastSyncColumn));
        item->setTextAlignment(BirthdaysColumn, Qt::AlignRight | Qt::AlignVCenter);
        if (!source.lastError.isEmpty() && !progress_.contains(source.id))
            item->setIcon(LastSyncColumn, warning);
        if (select && source.id == *select)
            sourceList->setCurrentItem(item);
    }
    if (!sourceList->currentItem() && sourceList->topLevelItemCount() > 0)
        sourceList->setCurrentItem(sourceList->topLevelItem(0));
    selectionChanged();
    showProgress();
}

QString AddressBooksWindow::statusText(const addressbook::SourceInfo& source) const {
    if (const QString waiting = sync_.passwords().waitingText(source.id); !waiting.isEmpty())
        return waiting;
    if (progress_.contains(source.id)) {
        const auto [done, total] = progress_.value(source.id);
        return syncingText(done, total);
    }
    if (busy_.contains(source.id))
        return addressbook::storeBusyText();
    return lastSyncText(source, services().clock().now());
}

std::optional<addressbook::SourceInfo> AddressBooksWindow::selected() const {
    const QTreeWidgetItem* item = sourceList->currentItem();
    if (!item)
        return std::nullopt;
    const qint64 id = item->data(NameColumn, idRole).toLongLong();
    for (const addressbook::SourceInfo& source : sources_)
        if (source.id == id)
            return source;
    return std::nullopt;
}

// A book that is syncing is not removed under its sync, nor given a new password that it would not
// use; one with nothing hidden has nothing to show.
void AddressBooksWindow::selectionChanged() {
    const auto source = selected();
    const bool idle = source && !sync_.runner().isRunning(source->id);
    removeButton->setEnabled(idle);
    renameButton->setEnabled(source.has_value());
    passwordButton->setEnabled(idle && source->kind == addressbook::SourceKind::CardDav);
    hiddenButton->setEnabled(source && source->hiddenCount > 0);
    syncButton->setEnabled(!sources_.empty());
    if (!source) {
        showText(detailLabel, sources_.empty() ? QStringLiteral("No address book yet: press “Add…” to "
                                                                "subscribe to a contacts folder or a "
                                                                "CardDAV address book.")
                                               : QString());
        return;
    }
    QString detail = source->location + QLatin1Char('\n') + statusText(*source);
    if (!source->lastError.isEmpty() && source->lastSync.isValid()) {
        addressbook::SourceInfo lastGood;
        lastGood.lastSync = source->lastSync;
        detail += QStringLiteral("\nThe birthdays of the last good sync (%1) stay in the list.")
                      .arg(lastSyncText(lastGood, services().clock().now()));
    }
    showText(detailLabel, detail);
}

void AddressBooksWindow::add() {
    QStringList subscribed;
    for (const addressbook::SourceInfo& source : sources_)
        subscribed << source.location;
    AddSourceDialog dialog(subscribed, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<qint64> added;
    // The books found at one address share the password typed once: it is stored once, for them all.
    QHash<QString, std::pair<SourceToAdd, QList<qint64>>> byAccount;
    for (const SourceToAdd& source : dialog.sources()) {
        try {
            added.push_back(addressbook::addSource(sharedConnection(), source.kind, source.location,
                                                   source.userName, source.displayName,
                                                   source.trust.allowHttp, source.trust.certificate));
        } catch (const AppError& error) {
            showProblem(error.description(), windowCaption);
            continue;
        }
        if (source.userName.isEmpty())
            continue;
        auto& [first, books] = byAccount[addressbook::accountOf(source.location, source.userName).key()];
        if (books.isEmpty())
            first = source;
        books << added.back();
    }
    for (const auto& [source, books] : std::as_const(byAccount))
        sync_.passwords().remember(books, source.location, source.userName, source.password);
    sync_.sourcesChanged();
    for (const qint64 id : added)
        sync_.runner().syncSource(id);
    if (!added.empty())
        fill(added.front()); // the first sync shows from its start
}

void AddressBooksWindow::remove() {
    const auto source = selected();
    if (!source)
        return;
    const MessageResult answer = services().messages().show(
        QStringLiteral("Remove the address book “%1” and %2 from the list?")
            .arg(source->displayName, birthdaysText(source->birthdayCount)),
        QStringLiteral("Remove Address Book"), MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageResult::Yes)
        return;
    try {
        addressbook::removeSource(sharedConnection(), source->id);
    } catch (const AppError& error) {
        showProblem(error.description(), windowCaption);
        return;
    }
    if (source->kind == addressbook::SourceKind::CardDav)
        sync_.passwords().forget(source->id, source->location, source->userName);
    sync_.sourcesChanged();
    sync_.rowsChangedHere();
    fill();
}

// The name the user gives stays: syncs no longer take the folder's or the server's own.
void AddressBooksWindow::rename() {
    const auto source = selected();
    if (!source)
        return;
    QInputDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Rename Address Book"));
    dialog.setLabelText( // the label names the box for the keyboard: a "&" of the name is doubled
        QStringLiteral("New name of “%1”:")
            .arg(QString(source->displayName).replace('&', QStringLiteral("&&"))));
    dialog.setTextValue(source->displayName);
    if (auto* box = dialog.findChild<QLineEdit*>()) // the dialog's layout sizes it to its box
        box->setMinimumWidth(fontMetrics().averageCharWidth() * 50);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        connect(&dialog, &QInputDialog::textValueChanged, buttons->button(QDialogButtonBox::Ok),
                [ok = buttons->button(QDialogButtonBox::Ok)](const QString& name) {
                    ok->setEnabled(!name.trimmed().isEmpty());
                });
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString name = nameOnOneLine(dialog.textValue()).trimmed();
    if (name.isEmpty() || name == source->displayName)
        return;
    try {
        addressbook::renameSource(sharedConnection(), source->id, name);
    } catch (const AppError& error) {
        showProblem(error.description(), windowCaption);
        return;
    }
    sync_.sourcesChanged();  // the failing books' notice names it anew
    sync_.rowsChangedHere(); // the list's rows name their book
    fill();
}

// The books shown sync; the store is not read here, so that another program's hold on it costs no wait.
// A sync that ends at once reads the sources again, so the books to sync are taken first.
void AddressBooksWindow::syncNow() {
    QList<qint64> books;
    for (const addressbook::SourceInfo& source : sources_)
        books << source.id;
    for (const qint64 id : std::as_const(books))
        sync_.runner().syncSource(id);
    showSources({});
}

void AddressBooksWindow::showHidden() {
    const auto source = selected();
    if (!source)
        return;
    const qint64 id = source->id;
    HiddenContactsDialog dialog(
        id, source->displayName,
        [this, id] {
            sync_.rowsChangedHere();
            sync_.runner().syncSource(id); // a birthday not known yet comes with the sync
        },
        this);
    dialog.exec();
    fill();
}

// The way out of "The server refused the user name or password." short of removing the book: the
// automatic syncs never ask, so the user gives the new password here and the book syncs at once.
void AddressBooksWindow::newPassword() {
    const auto source = selected();
    if (!source)
        return;
    const qint64 id = source->id;
    sync_.passwords().askNew(id, source->location, source->userName, this, [this, id] {
        sync_.runner().syncSource(id);
        fill();
    });
}

void AddressBooksWindow::progress(qint64 sourceId, int done, int total) {
    progress_.insert(sourceId, {done, total});
    showStatus(sourceId);
}

// A book's line and the bar follow its sync, without reading the store.
void AddressBooksWindow::showStatus(qint64 sourceId) {
    for (const addressbook::SourceInfo& source : sources_) {
        if (source.id != sourceId)
            continue;
        for (int row = 0; row < sourceList->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = sourceList->topLevelItem(row);
            if (item->data(NameColumn, idRole).toLongLong() == sourceId) {
                item->setText(LastSyncColumn, statusText(source));
                item->setToolTip(LastSyncColumn, item->text(LastSyncColumn));
                item->setIcon(LastSyncColumn, {});
            }
        }
    }
    selectionChanged();
    showProgress();
}

// The bar follows the syncs that run: their contacts read of all their contacts, or a moving bar
// while a count is not known yet. A book that waits for a person is no work under way: it says what
// it waits for on its line.
void AddressBooksWindow::showProgress() {
    int done = 0;
    int total = 0;
    bool unknown = false;
    bool running = false;
    for (const auto& [sourceId, counts] : progress_.asKeyValueRange()) {
        if (!sync_.passwords().waitingText(sourceId).isEmpty())
            continue;
        running = true;
        done += counts.first;
        total += counts.second;
        unknown = unknown || counts.second <= 0;
    }
    progressBar->setVisible(running);
    progressBar->setRange(0, unknown ? 0 : std::max(total, 1));
    if (!unknown)
        progressBar->setValue(done);
}

} // namespace cw
