// The Address Books window and the main window's commands on subscribed rows, driven as a user does,
// over a real contacts folder.
#include "gui/addressbooks/addressbookswindow.h"
#include "gui/addressbooks/addressbooksync.h"
#include "gui/addressbooks/addsourcedialog.h"
#include "gui/addressbooks/hiddencontactsdialog.h"
#include "gui/mainwindow/fixture.h"
#include "gui/tray/csystray.h"
#include "platform/desktopnotices.h"
#include "store/storelocation.h"
#include "support/davserver.h"
#include "support/noticeserver.h"
#include "sync/scriptedserver.h"
#include "sync/syncjob.h"
#include "sync/syncrunner.h"

#include "gui/services/services.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QFileDialog>
#include <QHostInfo>
#include <QInputDialog>
#include <QListWidget>
#include <QProgressBar>
#include <QToolTip>
#include <QTreeWidget>

using namespace cwtest;
using Window = cw::AddressBooksWindow;

namespace {

class Fixture : public MainWindowFixture {
  public:
    QTemporaryDir contacts;

    Fixture() {
        card("ann", "Ann", "1990-04-13");
        card("bob", "Bob", "--0229");
        card("cy", "Cy", {}); // no birthday, no row
        store({{"Zed", 12, 24}});
        start();
        form->show();
        activate();
    }
    // Back to the main window, as a user's click on it does, so that its keys work.
    void activate() {
        form->activateWindow();
        form->ListView1->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void card(const QString& uid, const QString& name, const QString& birthday) {
        QFile file(contacts.filePath(uid + ".vcf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%2\r\n%3END:VCARD\r\n")
                       .arg(uid, name, birthday.isEmpty() ? QString() : "BDAY:" + birthday + "\r\n")
                       .toUtf8());
    }
    QStringList people() const {
        QStringList names = column(cw::personColumn);
        names.sort();
        return names;
    }
    void select(const QString& person) {
        form->ListView1->selectRow(column(cw::personColumn).indexOf(person));
    }
    // Opens Address Books with its key, runs the steps while it is up and closes it with "Close".
    void inWindow(const std::function<void(Window*)>& steps) {
        int opened = 0;
        whenModal<Window>(
            [steps](Window* window) {
                steps(window);
                window->closeButton->click();
            },
            &opened);
        activate();
        QTest::keyClick(form->ListView1, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(opened, 1);
    }
    // Subscribes to the contacts folder through "Add…" and "Browse…", and waits for the first sync.
    void subscribe() {
        inWindow([this](Window* window) {
            sandbox.fileDialogs->answers = {contacts.path()};
            whenModal<cw::AddSourceDialog>([](cw::AddSourceDialog* add) {
                add->browseButton->click();
                QVERIFY(!add->userNameBox->isEnabled() && !add->passwordBox->isEnabled());
                add->addButton->click();
            });
            window->addButton->click();
            QTRY_VERIFY(synced(window));
            QCOMPARE(row(window, 0).mid(0, 3), QStringList({QDir(contacts.path()).dirName(), "Folder", "2"}));
        });
        QTRY_COMPARE(people(), QStringList({"Ann", "Bob", "Zed"}));
    }
    static QStringList row(Window* window, int n) {
        QStringList cells;
        for (int column = 0; column < window->sourceList->columnCount(); ++column)
            cells << window->sourceList->topLevelItem(n)->text(column);
        return cells;
    }
    // A screen reader gets the label's text itself, and the window's keys are its own.
    static bool readable(QLabel* label) {
        return !label->text().isEmpty() &&
               QAccessible::queryAccessibleInterface(label)->text(QAccessible::Description) == label->text();
    }
    static void ownKeys(QWidget* window) {
        QStringList keys;
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
            keys << QKeySequence::mnemonic(button->text()).toString();
        QVERIFY2(!keys.contains("") && keys.removeDuplicates() == 0, qPrintable(keys.join(' ')));
    }
    static bool synced(Window* window) {
        const QString last = row(window, 0).value(Window::LastSyncColumn);
        return window->progressBar->isHidden() && last.contains(" at ");
    }
    // A key as the user presses it: once the window is the active one, with its list focused.
    static void press(Window* window, Qt::Key key) {
        window->activateWindow();
        window->sourceList->setFocus();
        QTRY_VERIFY(QApplication::activeWindow() == window && window->sourceList->hasFocus());
        QTest::keyClick(window->sourceList, key);
    }
    void syncNow(Window* window) {
        press(window, Qt::Key_F5);
        QTRY_VERIFY(window->progressBar->isHidden());
    }
};

} // namespace

class TestAddressBooks : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { failUnansweredModals(); }
    void addAFolder();
    void subscribedRowsAreReadOnly_data();
    void subscribedRowsAreReadOnly();
    void deleteHidesUntilShownAgain();
    void removeAsksWithTheCount();
    void listFollowsChangesElsewhere_data();
    void listFollowsChangesElsewhere();
    void aFailingSourceKeepsItsRowsAndIsAnnouncedOnce();
    void syncedBirthdaysAreAnnouncedOnce();
    void aNewPasswordServesTheSyncItStarts();
    void aBusyListIsTriedAgain();
    void aPasswordIsNeitherKeptNorShown_data();
    void aPasswordIsNeitherKeptNorShown();
    void aCertificateIsTrustedByItsFingerprint();
};

void TestAddressBooks::addAFolder() {
    Fixture f;
    f.subscribe();
    f.inWindow([&](Window* window) {
        for (QWidget* control : window->findChildren<QWidget*>())
            if (control->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractButton*>(control))
                QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
        Fixture::ownKeys(window);
        // The same folder again is refused and adds nothing; a missing password is asked for where it goes.
        whenModal<cw::AddSourceDialog>([&](cw::AddSourceDialog* add) {
            Fixture::ownKeys(add);
            QTest::keyClicks(add->locationBox, f.contacts.path());
            QTest::keyClick(add->locationBox, Qt::Key_Return);
            QVERIFY(add->isVisible() && Fixture::readable(add->statusLabel));
            QCOMPARE(add->statusLabel->text(), "This folder is already subscribed.");
            add->locationBox->setText("https://dav.example.org");
            QTest::keyClick(add->locationBox, Qt::Key_Tab);
            QTest::keyClicks(add->focusWidget(), "ann");
            QTest::keyClick(add->userNameBox, Qt::Key_Return);
            QCOMPARE(add->focusWidget(), add->passwordBox);
            QTest::keyClick(add->passwordBox, Qt::Key_Tab);
            QCOMPARE(add->focusWidget(), add->browseButton);
            QTest::keyClick(add, Qt::Key_Escape);
        });
        window->addButton->click();
        QCOMPARE(window->sourceList->topLevelItemCount(), 1);
    });
    QCOMPARE(f.sandbox.messages->texts(),
             QStringList({"This folder is already subscribed.",
                          "Type the user name and the password of the address book."}));
    // The folder's displayname file names it at the next sync, until the user renames it (F2).
    QFile name(f.contacts.filePath("displayname"));
    QVERIFY(name.open(QIODevice::WriteOnly) && name.write(" Family & Co \r\nmore\n") > 0 && name.flush());
    f.inWindow([&](Window* window) {
        f.syncNow(window);
        whenModal<QInputDialog>([](QInputDialog* dialog) {
            QCOMPARE(dialog->labelText(), "New name of “Family && Co”:");
            QTest::keyClicks(dialog->focusWidget(), "Ann & Bob\r"); // over the old name, selected
        });
        Fixture::press(window, Qt::Key_F2);
        f.syncNow(window);
        QCOMPARE(Fixture::row(window, 0).value(Window::NameColumn), "Ann & Bob");
    });
    // The real "Browse…" lists hidden folders, such as ~/.contacts.
    whenModal<QFileDialog>([](QFileDialog* browse) {
        QVERIFY(browse->filter().testFlag(QDir::Hidden) && browse->testOption(QFileDialog::ShowDirsOnly));
        browse->reject();
    });
    QVERIFY(cw::createFileDialogService()->getExistingDirectory(nullptr, {}).isEmpty());
}

void TestAddressBooks::subscribedRowsAreReadOnly_data() {
    QTest::addColumn<QString>("person");
    QTest::addColumn<bool>("subscribed");
    QTest::newRow("from the folder") << "Ann" << true;
    QTest::newRow("the user's own") << "Zed" << false;
}

void TestAddressBooks::subscribedRowsAreReadOnly() {
    QFETCH(QString, person);
    QFETCH(bool, subscribed);
    Fixture f;
    f.subscribe();
    f.select(person);
    const QString book = QDir(f.contacts.path()).dirName();
    const QRect cell = f.form->ListView1->visualRect(f.form->ListView1->currentIndex());
    QHelpEvent hover(QEvent::ToolTip, cell.center(),
                     f.form->ListView1->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(f.form->ListView1->viewport(), &hover);
    QTRY_COMPARE(QToolTip::isVisible() ? QToolTip::text() : "",
                 subscribed ? "From the address book “" + book + "”" : "");
    QAction* showInBooks = f.form->ListView1->actions().value(6);
    QCOMPARE(showInBooks->text() + (showInBooks->isVisible() ? "" : " hidden"),
             "Show in Address Books" + QString(subscribed ? "" : " hidden"));
    if (subscribed) {
        whenModal<Window>([&](Window* window) {
            QCOMPARE(window->sourceList->currentItem()->text(Window::NameColumn), book);
            window->closeButton->click();
        });
        showInBooks->trigger();
    }
    whenModal<cw::Form2>([&](cw::Form2* editor) {
        QCOMPARE(editor->windowTitle() + ", " + editor->PushButton1->text(),
                 subscribed ? "View Birthday Reminder, Close" : "Add New Birthday Reminder, Cancel");
        QCOMPARE(editor->focusWidget(), editor->Text1); // read by screen readers, as read-only
        QCOMPARE(QAccessible::queryAccessibleInterface(editor->Text1)->state().readOnly, subscribed);
        const QPalette look = editor->Text1->palette(); // and looking so, as the greyed lists
        QCOMPARE(look.color(QPalette::Base) == look.color(QPalette::Button) && !editor->Combo2->isEnabled(),
                 subscribed);
        QCOMPARE(editor->PushButton6->isVisible(), !subscribed);
        QCOMPARE(editor->SourceLine != nullptr, subscribed);
        if (subscribed) {
            QCOMPARE(editor->SourceLine->text(), "From the address book “" + book + "”: change it there.");
            QVERIFY(editor->SourceLine->sizeHint().width() <= editor->SourceLine->width());
        }
        QTest::keyClick(editor->Text1, Qt::Key_Return); // saves the own row, closes the other
    });
    f.form->PushButton2->click();
    QCOMPARE(f.people(), QStringList({"Ann", "Bob", "Zed"}));
}

void TestAddressBooks::deleteHidesUntilShownAgain() {
    Fixture f;
    f.subscribe();
    f.select("Ann");
    f.sandbox.messages->answers = {cw::MessageResult::Yes};
    f.activate();
    QTest::keyClick(f.form->ListView1, Qt::Key_Delete);
    QVERIFY(f.sandbox.messages->texts().value(0).startsWith("Ann comes from the address book"));
    QCOMPARE(f.people(), QStringList({"Bob", "Zed"}));
    QVERIFY(QFile::exists(f.contacts.filePath("ann.vcf"))); // the book is never written
    f.inWindow([&](Window* window) {
        f.syncNow(window);
        QCOMPARE(f.storedRows(),
                 QList<Birthday>({{"Bob", 2, 29}, {"Zed", 12, 24}})); // the sync brought none back
        whenModal<cw::HiddenContactsDialog>([](cw::HiddenContactsDialog* hidden) {
            QCOMPARE(hidden->contactList->count(), 1);
            QCOMPARE(hidden->contactList->item(0)->text(), QStringLiteral("Ann"));
            hidden->showButton->click();
            QCOMPARE(hidden->contactList->count(), 0);
            hidden->closeButton->click();
        });
        window->hiddenButton->click();
        QTRY_COMPARE(f.people(), QStringList({"Ann", "Bob", "Zed"}));
        QVERIFY(!window->hiddenButton->isEnabled());
    });
}

void TestAddressBooks::removeAsksWithTheCount() {
    Fixture f;
    f.subscribe();
    f.sandbox.messages->answers = {cw::MessageResult::No, cw::MessageResult::Yes};
    f.inWindow([&](Window* window) {
        for (int answer = 0; answer < 2; ++answer)
            Fixture::press(window, Qt::Key_Delete);
        QCOMPARE(window->sourceList->topLevelItemCount(), 0);
        QVERIFY(!window->removeButton->isEnabled() && !window->syncButton->isEnabled());
    });
    const QString question = QStringLiteral("Remove the address book “%1” and its 2 birthdays from the list?")
                                 .arg(QDir(f.contacts.path()).dirName());
    QCOMPARE(f.sandbox.messages->texts(), QStringList({question, question}));
    QCOMPARE(f.people(), QStringList({"Zed"}));
}

void TestAddressBooks::listFollowsChangesElsewhere_data() {
    QTest::addColumn<bool>("anotherProcess");
    QTest::newRow("a --sync in another process") << true;
    QTest::newRow("a card put in the folder") << false;
}

// The current row stays current as the list follows.
void TestAddressBooks::listFollowsChangesElsewhere() {
    QFETCH(bool, anotherProcess);
    Fixture f;
    f.subscribe();
    f.select("Bob");
    if (anotherProcess) {
        cw::Connection other;
        other.open(cw::connectionString());
        other.execute(cw::statements::editorInsert("Dee", 5, 5));
    } else {
        f.card("dee", "Dee", "1985-05-05");
    }
    QTRY_COMPARE(f.people(), QStringList({"Ann", "Bob", "Dee", "Zed"}));
    QCOMPARE(f.form->ListView1->subItem(f.form->ListView1->selectedRow(), cw::personColumn),
             QStringLiteral("Bob"));
}

// One notification over two failed syncs, and no box; it is withdrawn once the book syncs again, and
// follows a lone book's last error.
void TestAddressBooks::aFailingSourceKeepsItsRowsAndIsAnnouncedOnce() {
    Fixture f;
    f.subscribe();
    NoticeServer server;
    server.start("/usr/bin/python3", {CW_SNI_HOST, "body"});
    QTRY_VERIFY_WITH_TIMEOUT((server.waitForReadyRead(10), server.canReadLine()), 10000);
    QCOMPARE(server.readLine(), "ready\n");
    cw::services().setSyncNotices(std::make_unique<cw::DesktopNotices>());
    const QString moved = f.contacts.path() + ".moved";
    QVERIFY(QDir().rename(f.contacts.path(), moved));
    QString error;
    f.inWindow([&](Window* window) {
        for (int sync = 0; sync < 2; ++sync)
            f.syncNow(window);
        QVERIFY(!window->sourceList->topLevelItem(0)->icon(Window::LastSyncColumn).isNull());
        error = Fixture::row(window, 0).value(Window::LastSyncColumn);
        QVERIFY(window->detailLabel->text().contains(error) && Fixture::readable(window->detailLabel));
    });
    const QString book = QDir(f.contacts.path()).dirName();
    QCOMPARE(f.form->cSysTray1->TrayTip(), "Candlewise Software\n" + book + " could not be synced.");
    QCOMPARE(f.form->failingLabel->text(), book + " could not be synced.");
    QVERIFY(f.form->failingBar->isVisible() &&
            f.form->failingButton->sizeHint().width() <= f.form->failingButton->width());
    int opened = 0;
    whenModal<Window>([](Window* window) { window->closeButton->click(); }, &opened);
    f.form->failingButton->click();
    QCOMPARE(opened, 1);
    QTRY_COMPARE(server.read(), QStringList({"GetCapabilities", "Notify 0: "}));
    QCOMPARE(
        server.notices[0].toList().mid(1, 2),
        QVariantList({"Address book not synced", QDir(f.contacts.path()).dirName() + ": " + error +
                                                     "\nThe birthdays of its last sync stay in the list."}));
    QCOMPARE(f.people(), QStringList({"Ann", "Bob", "Zed"}));
    QCOMPARE(f.sandbox.messages->texts(), QStringList());
    const QString other = f.contacts.filePath("A");
    cw::addressbook::addSource(cw::sharedConnection(), cw::addressbook::SourceKind::Folder, other, {}, "A");
    f.inWindow([&](Window* window) { // a second failing book joins the notice, which follows the set
        f.syncNow(window);
        QTRY_COMPARE(server.read().size(), 4);
        QCOMPARE(f.form->failingLabel->text(), "2 address books could not be synced.");
        QVERIFY(QDir().rename(moved, f.contacts.path()));
        f.syncNow(window);
        QTRY_COMPARE(server.read().size(), 6);
        QVERIFY(QDir().mkdir(other));
        f.syncNow(window);
    });
    QTRY_COMPARE(server.read().mid(2), QStringList({"GetCapabilities", "Notify 1: ", "GetCapabilities",
                                                    "Notify 1: ", "CloseNotification 1"}));
    QVERIFY(f.form->failingBar->isHidden() && f.form->cSysTray1->TrayTip() == "Candlewise Software");
    QCOMPARE(server.notices[1].toList()[2],
             "2 address books could not be synced: A, " + QDir(f.contacts.path()).dirName());
    QVERIFY(
        server.notices[2].toList()[2].toString().startsWith("A: The folder cannot be read: " + other + "\n"));
    // A real server that refuses the login, then stops: the book's line and its notice tell the last error.
    DavServer dav;
    QVERIFY(dav.start("radicale"));
    cw::addressbook::addSource(cw::sharedConnection(), cw::addressbook::SourceKind::CardDav,
                               dav.book.toString(), {}, "Friends"); // no user name: refused
    QStringList errors;
    f.inWindow([&](Window* window) {
        f.syncNow(window);
        errors << Fixture::row(window, 2).value(Window::LastSyncColumn);
        dav.process.kill(), dav.process.waitForFinished();
        f.syncNow(window);
        errors << Fixture::row(window, 2).value(Window::LastSyncColumn);
    });
    QVERIFY2(
        errors.join('|').startsWith("The server refused the user name or password.|Cannot reach 127.0.0.1:"),
        qPrintable(errors.join('|')));
    QTRY_COMPARE(server.read().mid(7),
                 QStringList({"GetCapabilities", "Notify 0: ", "GetCapabilities", "Notify 2: "}));
    QCOMPARE(server.notices[4].toList()[2],
             "Friends: " + errors[1] + "\nThe birthdays of its last sync stay in the list.");
}

// Eve's start-up alert is snoozed while the first sync waits; it brings Fay, due too, the next Gus.
void TestAddressBooks::syncedBirthdaysAreAnnouncedOnce() {
    Fixture f;
    f.subscribe();
    cw::sharedConnection().execute(cw::statements::editorInsert("Eve", 12, 7));
    f.card("fay", "Fay", "--1207");
    f.confirmAlert(0);
    f.confirmAlert(-1, [&](cw::Form3*) { f.sandbox.clock->current = f.sandbox.clock->current.addSecs(600); });
    f.restart();
    QTRY_COMPARE(f.people(), QStringList({"Ann", "Bob", "Eve", "Fay", "Zed"}));
    QCOMPARE(f.alerts.count, 2);
    QCOMPARE(f.alerts.text, "Fay's birthday is today.\r\n");
    QCOMPARE(f.form->cycleBegan, QDateTime(QDate(2026, 12, 7), QTime(9, 0))); // the snooze's
    f.closeAlert();
    f.card("gus", "Gus", "--0101");
    QTRY_VERIFY(f.people().contains("Gus"));
    QCOMPARE(f.alerts.count, 2);
}

// The masked password goes to the sync it starts, asking nothing more: it reaches the (closed) port.
void TestAddressBooks::aNewPasswordServesTheSyncItStarts() {
    Fixture f;
    cw::addressbook::addSource(cw::sharedConnection(), cw::addressbook::SourceKind::CardDav,
                               "http://127.0.0.1:1/ann/", "ann", "Friends");
    f.inWindow([&](Window* window) {
        window->passwordButton->click();
        auto* field = QApplication::activeModalWidget()->findChild<QLineEdit*>();
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QTest::keyClicks(field, "n3w\r");
        QTRY_VERIFY(Fixture::row(window, 0).value(Window::LastSyncColumn).startsWith("Cannot reach "));
    });
    QCOMPARE(f.sandbox.syncNotices->calls, QStringList({"Address book not synced"}));
    QVERIFY(f.sandbox.syncNotices->posted[0].body.startsWith("Friends: Cannot reach 127.0.0.1:1"));
}

// Another program holding the list: the sync gives way at once and says so, and the card arrives by
// itself once the list is free.
void TestAddressBooks::aBusyListIsTriedAgain() {
    Fixture f;
    f.subscribe();
    cw::Connection other;
    other.open(cw::connectionString());
    f.inWindow([&](Window* window) {
        other.execute("begin exclusive");
        f.card("dee", "Dee", "1985-05-05");
        window->syncButton->click();
        QTRY_COMPARE(Fixture::row(window, 0).value(Window::LastSyncColumn), cw::addressbook::storeBusyText());
        other.execute("commit");
    });
    QTRY_COMPARE_WITH_TIMEOUT(f.people(), QStringList({"Ann", "Bob", "Dee", "Zed"}),
                              cw::addressbook::SyncRunner::busyRetryMs + 10000);
}

void TestAddressBooks::aPasswordIsNeitherKeptNorShown_data() {
    QTest::addColumn<QString>("how");
    for (const char* how : {"typed in its box", "typed inside the address", "kept inside the address",
                            "asked for", "typed without a scheme", "typed with this computer's name"})
        QTest::newRow(how) << QString(how);
}

// Against a real server, on a desktop without a secret store: the password serves the sync (the
// book's birthday comes) and is neither in the store's file nor in the window; a question comes once,
// over the window that asked, for the two books of the account, which wait for it. Without a scheme
// it is offered over http://; to a name, http:// is warned about once and kept.
void TestAddressBooks::aPasswordIsNeitherKeptNorShown() {
    QFETCH(QString, how);
    const bool added = how.startsWith("typed"), inside = how.contains("inside"), asked = how == "asked for";
    const QString name = QHostInfo::localHostName();
    if (how.contains("name") && !QHostInfo::fromName(name).addresses().contains(QHostAddress::LocalHost))
        QSKIP("This computer's name is not one for 127.0.0.1.");
    DavServer server;
    QVERIFY(server.start("radicale"));
    server.putCard("dee", "Dee", "1985-05-05");
    const QUrl family = server.book.resolved(QUrl("../family/"));
    QVERIFY(server.makeBook(family, "Family"));
    server.putCard("fay", "Fay", "1980-06-20", family);
    QString location = server.book.toString(),
            address = QString(location).replace("//", inside ? "//ann:s3cret@" : "//");
    QStringList questions;
    if (how.contains("scheme"))
        questions << "No secure server answers at https://" + address.remove("http://") +
                         ", but a CardDAV server answers at " + location + ".\n\nUse " + location + "?";
    else if (how.contains("name"))
        questions << "This address is not encrypted: anyone on the network can read the password and the "
                     "contacts.\n\nUse " +
                         (address = location.replace("127.0.0.1", name)) + " all the same?";
    Fixture f;
    f.sandbox.messages->answers = {cw::MessageResult::Yes};
    const auto prompts = [&] { return f.form->findChildren<QDialog*>("passwordQuestion"); };
    if (!added) {
        cw::addressbook::addSource(cw::sharedConnection(), cw::addressbook::SourceKind::CardDav, address,
                                   inside ? "" : "ann", "Friends");
        if (asked) // a second book of the account
            cw::addressbook::addSource(cw::sharedConnection(), cw::addressbook::SourceKind::CardDav,
                                       family.toString(), "ann", "Family");
        if (inside) // the store is cleaned at start
            f.restart().show();
    }
    f.inWindow([&](Window* window) {
        if (added)
            whenModal<cw::AddSourceDialog>([&](cw::AddSourceDialog* add) {
                QTest::keyClicks(add->locationBox, address);
                QTest::keyClicks(add->userNameBox, inside ? "" : "ann");
                QTest::keyClicks(add->passwordBox, inside ? "" : "s3cret");
                add->addButton->click();
                QTRY_VERIFY_WITH_TIMEOUT(!add->isVisible(), 15000);
            });
        if (added || !inside) { // asked for: a second sync while the question waits asks nothing more
            (added ? window->addButton : window->syncButton)->click();
            QTRY_COMPARE(prompts().size(), added ? 0 : 1);
            window->syncButton->click();
        }
        if (asked) {
            QCOMPARE(prompts().first()->parentWidget(), window);
            QTRY_COMPARE(Fixture::row(window, 1).value(Window::LastSyncColumn), "Waiting for the password");
            QVERIFY(Fixture::row(window, 0).contains("Waiting for the password") &&
                    window->detailLabel->text().contains("Waiting for the password") &&
                    window->progressBar->isHidden());
        }
        const QString shown = Fixture::row(window, 0).join(' ') + window->detailLabel->text();
        QVERIFY2(shown.contains(location) && !shown.contains("s3cret"), qPrintable(shown));
    });
    QCOMPARE(f.sandbox.messages->texts(), questions);
    QCOMPARE(prompts().size(), asked ? 1 : 0);
    if (asked) // over the main window once the Address Books window is closed
        QTest::keyClicks(prompts().first()->findChild<QLineEdit*>(), "s3cret\r");
    QTRY_VERIFY_WITH_TIMEOUT(f.people().contains("Dee") && (!asked || f.people().contains("Fay")), 15000);
    QVERIFY(prompts().isEmpty() && !fileHolds(cw::liveStoreFile(), "s3cret"));
}

// An untrusted certificate is shown and, trusted, the book's alone: another later fails in words.
void TestAddressBooks::aCertificateIsTrustedByItsFingerprint() {
    QTemporaryDir keys;
    const auto [own, ownKey, ownPrint] = makeCertificate(keys.path(), "own");
    const auto [next, nextKey, nextPrint] = makeCertificate(keys.path(), "next");
    QVERIFY(!own.isNull() && !next.isNull() && !ownPrint.isEmpty());
    ScriptedServer server(QHostAddress::LocalHost, own, ownKey);
    const QByteArray
        ok = "207 Multi-Status",
        dee = response("/book/dee.vcf", "\"1\"", card("d", "Dee", "--0505")),
        book = "<d:response><d:href>/book/</d:href><d:propstat><d:prop><d:resourcetype><c:addressbook/>"
               "</d:resourcetype></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
    server.script = {{"propfind", {{ok, multistatus(book)}}},
                     {"sync-collection", {{ok, multistatus(dee, "t1")}}},
                     {"addressbook-multiget", {{ok, multistatus(dee)}}}};
    Fixture f;
    f.sandbox.messages->answers = {cw::MessageResult::Yes};
    f.inWindow([&](Window* window) {
        whenModal<cw::AddSourceDialog>([&](cw::AddSourceDialog* add) {
            QTest::keyClicks(add->locationBox, server.url().toString());
            add->addButton->click();
            QTRY_VERIFY_WITH_TIMEOUT(!add->isVisible(), 15000);
        });
        window->addButton->click();
        QTRY_VERIFY(Fixture::synced(window));
        server.setCertificate(next, nextKey);
        f.syncNow(window);
        QCOMPARE(
            Fixture::row(window, 0).value(Window::LastSyncColumn).section(". ", 0, 0),
            "The server's certificate has changed since you trusted it; its SHA-256 fingerprint is now " +
                nextPrint);
    });
    QCOMPARE(f.sandbox.messages->texts().value(0).section("\n\n", 1, 1),
             "Server: 127.0.0.1\nSHA-256 fingerprint: " + ownPrint);
    QTRY_COMPARE(f.people(), QStringList({"Dee", "Zed"}));
}

QTEST_MAIN(TestAddressBooks)
#include "test_addressbooks.moc"
