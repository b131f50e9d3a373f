#pragma once
// Scripted stand-ins for the program's outside services.
#include "gui/services/services.h"
#include "platform/notifier.h"
#include "support/fakeclock.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>
#include <utility>

namespace cwtest {

struct ShownMessage {
    QString text;
    QString caption;
    cw::MessageIcon icon;
    cw::MessageButtons buttons;
    QString link;
};

class ScriptedMessages : public cw::MessageService {
  public:
    QList<ShownMessage> shown;
    std::deque<cw::MessageResult> answers; // taken by Yes/No boxes; empty answers No
    std::function<void(const ShownMessage&)> onShow;
    cw::MessageResult show(const QString& text, const QString& caption, cw::MessageIcon icon,
                           cw::MessageButtons buttons, const QString& link) override;
    QStringList texts() const;
    int count(const QString& caption) const;
    // The "Application Error" reports shown so far whose text names the procedure, e.g. "Form1.Form_Load".
    int reportsAt(const QString& procedure) const;
    // The text of the newest "Application Error" report; empty when there is none.
    QString lastReport() const;
};

class ScriptedFileDialogs : public cw::FileDialogService {
  public:
    std::deque<QString> answers;       // empty answers as cancel
    std::deque<QString> chosenFilters; // the save dialog's; empty keeps the one preselected
    std::function<void()> whileOpen;   // runs while a dialog is up, before it is answered
    QList<cw::FileDialogRequest> openRequests;
    QList<cw::FileDialogRequest> saveRequests;
    QList<cw::FileDialogRequest> folderRequests;
    QString getOpenFileName(QWidget*, const cw::FileDialogRequest& request) override;
    QString getSaveFileName(QWidget*, const cw::FileDialogRequest& request, QString& chosenFilter) override;
    QString getExistingDirectory(QWidget*, const cw::FileDialogRequest& request) override;

  private:
    QString next();
};

class RecordingShell : public cw::Shell {
  public:
    QList<QUrl> opened;
    void openUrl(const QUrl& url) override { opened << url; }
};

class FakeRandom : public cw::RandomSource {
  public:
    std::deque<double> values; // empty gives 0.5
    QList<quint32> seeds;
    void seed(quint32 value) override { seeds << value; }
    double next() override;
};

// Keeps the notices posted, "withdrawn" between them, and clicks a button of one as its user would.
class FakeNotifier : public cw::Notifier {
  public:
    QList<cw::Notice> posted;
    QStringList calls; // each post's summary, or "withdrawn"
    void post(const cw::Notice& notice) override { posted << notice, calls << notice.summary; }
    void withdraw() override { calls << QStringLiteral("withdrawn"); }
    void click(const QString& key) { emit actionInvoked(key); }
};

struct PlayerLog {
    QStringList calls; // "Open <file>", "Play", "Stop", "Destroyed"
};

class RecordingPlayerFactory : public cw::PlayerFactory {
  public:
    explicit RecordingPlayerFactory(PlayerLog& log) : log_(log) {}
    std::unique_ptr<cw::Player> create() override;

  private:
    PlayerLog& log_;
};

} // namespace cwtest
