#pragma once
// The groups of tray tests; main runs each in turn.
#include "tray/recordingtrayshell.h"

#include "tray/csystray.h"

#include <QString>

#include <memory>

namespace cw::test {

int runRecordTests(int argc, char** argv);
int runSwitchingTests(int argc, char** argv);
int runBalloonTests(int argc, char** argv);
int runReportTests(int argc, char** argv);
int runPersistenceTests(int argc, char** argv);
int runQtTrayShellTests(int argc, char** argv);

// A control over a recording shell, and the log that outlives both.
struct RecordedTray {
    std::shared_ptr<ShellLog> log = std::make_shared<ShellLog>();
    RecordingTrayShell* shell = nullptr;
    std::unique_ptr<cSysTray> tray;

    RecordedTray() {
        auto recording = std::make_unique<RecordingTrayShell>(log);
        shell = recording.get();
        tray = std::make_unique<cSysTray>(std::move(recording));
    }
};

// A field as the shell expects it: the text, one NUL, then blanks up to the width.
inline QString padded(const QString& text, int blanks) {
    return text + QChar(u'\0') + QString(blanks, u' ');
}

} // namespace cw::test
