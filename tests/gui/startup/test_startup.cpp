// The autostart entry: its exact text, where it is written, how it is replaced and removed.
#include "core/apperror.h"
#include "gui/startup/modstartup.h"
#include "platform/autostartfolders.h"
#include "platform/desktopentry.h"
#include "platform/regstuff.h"
#include "support/files.h"
#include "support/permissions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

using namespace cw;
using cwtest::readBytes;
using cwtest::writeBytes;

namespace {

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QByteArray entryFor(const QByteArray& execValue) {
    return "[Desktop Entry]\nType=Application\nName=Candlewise Software\nExec=" + execValue + "\n";
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    // The entry text.
    void execArgumentQuoting_data();
    void execArgumentQuoting();
    void entryTextIsExact();

    // Writing and replacing.
    void writesMachineWideEntry();
    void folderAtRootGetsNoDoubledSlash();
    void replacesByRenameLeavingNoTemporaryFile();
    void fallsBackToUserFolderWhenMachineWideCannotBeWritten();
    void nothingWritableWritesNothing();

    // Removing.
    void removesFromBothFolders();
    void removingAMissingEntrySucceedsQuietly();
    void machineWideEntryIsHiddenForTheUser();

    // The module's entry points and the folders they use.
    void emptyOrMissingExecutableChangesNothing();
    void addAndRemoveUseTheOverrideFolder();
    void foldersWithoutOverride();

  private:
    std::unique_ptr<QTemporaryDir> machineDir_;
    std::unique_ptr<QTemporaryDir> userDir_;
    QTemporaryDir& machine() const { return *machineDir_; }
    QTemporaryDir& user() const { return *userDir_; }
    AutostartFolders folders() const { return {machine().path(), user().path()}; }
};

void TestStartup::init() {
    // Fresh folders for every case.
    machineDir_ = std::make_unique<QTemporaryDir>();
    userDir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(machineDir_->isValid());
    QVERIFY(userDir_->isValid());
}

void TestStartup::cleanup() {
    // A case may have taken the right to write the machine-wide folder away.
    QFile::setPermissions(machine().path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestStartup::execArgumentQuoting_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "/usr/lib/candlewise/candlewise"
                           << R"("/usr/lib/candlewise/candlewise")";
    QTest::newRow("blanks") << "/opt/My Apps/candlewise"
                            << R"("/opt/My Apps/candlewise")";
    QTest::newRow("double quote") << R"(/opt/a"b/cw)"
                                  << R"("/opt/a\\"b/cw")";
    QTest::newRow("backquote") << "/opt/a`b/cw"
                               << R"("/opt/a\\`b/cw")";
    QTest::newRow("dollar") << "/opt/$HOME/cw"
                            << R"("/opt/\\$HOME/cw")";
    QTest::newRow("backslash") << R"(/opt/a\b/cw)"
                               << R"("/opt/a\\\\b/cw")";
    QTest::newRow("percent") << "/opt/100%/cw"
                             << R"("/opt/100%%/cw")";
    QTest::newRow("tab and newline") << "/opt/a\tb\nc/cw"
                                     << R"("/opt/a\tb\nc/cw")";
}

void TestStartup::execArgumentQuoting() {
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(quotedExecArgument(path), expected);
}

void TestStartup::entryTextIsExact() {
    QCOMPARE(autostartEntryText("/opt/Tool Box/a~b \"$x\"").toUtf8(),
             entryFor(R"("/opt/Tool Box/a~b \\"\\$x\\"")"));
}

void TestStartup::writesMachineWideEntry() {
    RegStuff::SetRunEntry("candlewise", "/opt/My \"Apps\" $1", folders());
    const QString entry = machine().filePath("candlewise.desktop");
    QCOMPARE(readBytes(entry), entryFor(R"("/opt/My \\"Apps\\" \\$1/candlewise")"));
    const QFile::Permissions currentUser = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    QCOMPARE(QFile::permissions(entry) & ~currentUser,
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    QVERIFY(entriesOf(user().path()).isEmpty());
}

void TestStartup::folderAtRootGetsNoDoubledSlash() {
    RegStuff::SetRunEntry("tool", "/", folders());
    QCOMPARE(readBytes(machine().filePath("tool.desktop")), entryFor(R"("/tool")"));
}

void TestStartup::replacesByRenameLeavingNoTemporaryFile() {
    const QString entry = machine().filePath("candlewise.desktop");
    writeBytes(entry, "old entry\n");
    // A second name for the old file: writing in place would change what it shows too.
    const QString oldLink = user().filePath("old-entry");
    QCOMPARE(::link(QFile::encodeName(entry).constData(), QFile::encodeName(oldLink).constData()), 0);

    RegStuff::SetRunEntry("candlewise", "/usr/lib/candlewise", folders());
    QCOMPARE(readBytes(entry), entryFor(R"("/usr/lib/candlewise/candlewise")"));
    QCOMPARE(readBytes(oldLink), QByteArray("old entry\n"));
    QCOMPARE(entriesOf(machine().path()), QStringList{"candlewise.desktop"});
}

void TestStartup::fallsBackToUserFolderWhenMachineWideCannotBeWritten() {
    // A folder below a plain file can be neither made nor written, even by root.
    const QString blocker = machine().filePath("etc");
    writeBytes(blocker, "not a folder");
    const AutostartFolders blocked{blocker + "/xdg/autostart", user().filePath("autostart")};

    RegStuff::SetRunEntry("candlewise", "/usr/lib/candlewise", blocked);
    QCOMPARE(readBytes(user().filePath("autostart/candlewise.desktop")),
             entryFor(R"("/usr/lib/candlewise/candlewise")"));
    QCOMPARE(entriesOf(user().filePath("autostart")), QStringList{"candlewise.desktop"});
    QCOMPARE(entriesOf(machine().path()), QStringList{"etc"});
}

void TestStartup::nothingWritableWritesNothing() {
    const QString blocker = machine().filePath("file");
    writeBytes(blocker, "x");
    QVERIFY_THROWS_EXCEPTION(AppError, RegStuff::SetRunEntry("candlewise", "/usr/lib/candlewise",
                                                             {blocker + "/a", blocker + "/b"}));
    QCOMPARE(readBytes(blocker), QByteArray("x"));
    RegStuff::SetRunEntry("", "/usr/lib/candlewise", folders());
    QVERIFY(entriesOf(machine().path()) == QStringList{"file"});
    QVERIFY(entriesOf(user().path()).isEmpty());
}

void TestStartup::removesFromBothFolders() {
    writeBytes(machine().filePath("candlewise.desktop"), "a");
    writeBytes(user().filePath("candlewise.desktop"), "b");
    writeBytes(user().filePath("other.desktop"), "c");

    RegStuff::DeleteRunEntry("candlewise", "/usr/lib/candlewise", folders());
    QVERIFY(entriesOf(machine().path()).isEmpty());
    QCOMPARE(entriesOf(user().path()), QStringList{"other.desktop"});
}

void TestStartup::removingAMissingEntrySucceedsQuietly() {
    RegStuff::DeleteRunEntry("candlewise", "/usr/lib/candlewise", folders());
    RegStuff::DeleteRunEntry("", "/usr/lib/candlewise", folders());
    QVERIFY(entriesOf(machine().path()).isEmpty());
}

// A machine-wide entry the user may not remove: unticking hides it for this user alone, and ticking
// again takes the user's own entry away.
void TestStartup::machineWideEntryIsHiddenForTheUser() {
    const QString machineEntry = machine().filePath("candlewise.desktop");
    RegStuff::SetRunEntry("candlewise", "/usr/lib/candlewise", folders());
    const QByteArray machineText = readBytes(machineEntry);
    QVERIFY(QFile::setPermissions(machine().path(), QFile::ReadOwner | QFile::ExeOwner));
    cwtest::PermissionBitsApply bitsApply;
    if (!bitsApply.works())
        QSKIP("running as root without the right to drop CAP_DAC_OVERRIDE: every folder stays writable");

    RegStuff::DeleteRunEntry("candlewise", "/usr/lib/candlewise", folders());
    QCOMPARE(readBytes(user().filePath("candlewise.desktop")),
             entryFor(R"("/usr/lib/candlewise/candlewise")") + "Hidden=true\n");
    QVERIFY(!RegStuff::IsRunEntryInEffect("candlewise", folders()));

    RegStuff::SetRunEntry("candlewise", "/usr/lib/candlewise", folders());
    QVERIFY(entriesOf(user().path()).isEmpty());
    QVERIFY(RegStuff::IsRunEntryInEffect("candlewise", folders()));
    QCOMPARE(readBytes(machineEntry), machineText);
}

void TestStartup::emptyOrMissingExecutableChangesNothing() {
    qputenv("CANDLEWISE_AUTOSTART_DIR", machine().path().toUtf8());
    writeBytes(machine().filePath("candlewise.desktop"), "kept");
    modStartUp::AddToStartup(QString());
    modStartUp::RemoveFromStartup(QString());
    modStartUp::AddToStartup(user().filePath("candlewise"));
    modStartUp::RemoveFromStartup(user().filePath("candlewise"));
    QCOMPARE(entriesOf(machine().path()), QStringList{"candlewise.desktop"});
    QCOMPARE(readBytes(machine().filePath("candlewise.desktop")), QByteArray("kept"));
}

void TestStartup::addAndRemoveUseTheOverrideFolder() {
    qputenv("CANDLEWISE_AUTOSTART_DIR", machine().path().toUtf8());
    QVERIFY(QDir().mkpath(user().filePath("Tool Box")));
    const QString executable = user().filePath("Tool Box/candle wise");
    writeBytes(executable, "\x7f"
                           "ELF");

    modStartUp::AddToStartup(executable);
    QVERIFY(modStartUp::IsInStartup(executable));
    QCOMPARE(entriesOf(machine().path()), QStringList{"candle wise.desktop"});
    QCOMPARE(readBytes(machine().filePath("candle wise.desktop")), entryFor('"' + executable.toUtf8() + '"'));

    modStartUp::RemoveFromStartup(executable);
    QVERIFY(entriesOf(machine().path()).isEmpty());
    QVERIFY(!modStartUp::IsInStartup(executable));
}

void TestStartup::foldersWithoutOverride() {
    const QByteArray saved = qgetenv("CANDLEWISE_AUTOSTART_DIR");
    qunsetenv("CANDLEWISE_AUTOSTART_DIR");
    qputenv("XDG_CONFIG_HOME", user().path().toUtf8());
    const AutostartFolders found = autostartFolders();
    qputenv("CANDLEWISE_AUTOSTART_DIR", saved);
    QCOMPARE(found.machineWide, QString("/etc/xdg/autostart"));
    QCOMPARE(found.perUser, user().filePath("autostart"));

    qputenv("CANDLEWISE_AUTOSTART_DIR", machine().path().toUtf8());
    QCOMPARE(autostartFolders().machineWide, machine().path());
    QCOMPARE(autostartFolders().perUser, machine().path());
    qputenv("CANDLEWISE_MACHINE_AUTOSTART_DIR", user().path().toUtf8());
    QCOMPARE(autostartFolders().machineWide, user().path());
    QCOMPARE(autostartFolders().perUser, machine().path());
    qunsetenv("CANDLEWISE_MACHINE_AUTOSTART_DIR");
}

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
