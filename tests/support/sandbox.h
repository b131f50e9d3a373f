#pragma once
// A test's own world: its own folders, with scripted services in place.
#include "support/fakeservices.h"
#include "support/faketray.h"
#include "support/folders.h"

namespace cwtest {

class Sandbox : public Folders {
  public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

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
};

} // namespace cwtest
