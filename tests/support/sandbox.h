#pragma once
// A test's own world: temporary data root, settings home, autostart folder and application folder,
// with scripted services in place. Nothing outside the temporary folder is touched.
#include "support/fakeservices.h"
#include "support/faketray.h"

#include <QTemporaryDir>

namespace cwtest {

class Sandbox {
  public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    QString path(const QString& relative = {}) const;
    QString appFolder() const { return path(QStringLiteral("app")); }
    // Copies a side file of the built program (dbBlank.mdb, happybirthday.wav, ...) into the
    // application folder; false when the build has none.
    bool installSideFile(const QString& name);
    // The live store prepared and the shared connection opened on it.
    void openStore();

    FakeClock* clock;
    ScriptedMessages* messages;
    ScriptedFileDialogs* fileDialogs;
    RecordingShell* shell;
    FakeRandom* random;
    FakeNotifier *notices, *syncNotices;
    PlayerLog playerLog;
    TrayLog trayLog;

  private:
    QTemporaryDir dir_;
};

QString builtSideFile(const QString& name);

} // namespace cwtest
