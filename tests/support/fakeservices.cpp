#include "support/fakeservices.h"

#include "core/apperror.h"

#include <QFile>

namespace cwtest {

cw::MessageResult ScriptedMessages::show(const QString& text, const QString& caption, cw::MessageIcon icon,
                                         cw::MessageButtons buttons, const QString& link) {
    const ShownMessage message{text, caption, icon, buttons, link};
    shown << message;
    if (onShow)
        onShow(message);
    if (buttons == cw::MessageButtons::Ok)
        return cw::MessageResult::Ok;
    if (answers.empty())
        return cw::MessageResult::No;
    const cw::MessageResult answer = answers.front();
    answers.pop_front();
    return answer;
}

QStringList ScriptedMessages::texts() const {
    QStringList result;
    for (const ShownMessage& message : shown)
        result << message.text;
    return result;
}

int ScriptedMessages::count(const QString& caption) const {
    int total = 0;
    for (const ShownMessage& message : shown)
        total += message.caption == caption ? 1 : 0;
    return total;
}

int ScriptedMessages::reportsAt(const QString& procedure) const {
    int total = 0;
    for (const ShownMessage& message : shown)
        if (message.caption == QLatin1String("Application Error") &&
            message.text.contains(QLatin1Char('.') + procedure + QLatin1Char(' ')))
            ++total;
    return total;
}

QString ScriptedMessages::lastReport() const {
    for (qsizetype i = shown.size() - 1; i >= 0; --i)
        if (shown[i].caption == QLatin1String("Application Error"))
            return shown[i].text;
    return {};
}

QString ScriptedFileDialogs::next() {
    if (whileOpen)
        whileOpen();
    if (answers.empty())
        return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
}

QString ScriptedFileDialogs::getOpenFileName(QWidget*, const cw::FileDialogRequest& request) {
    openRequests << request;
    return next();
}

QString ScriptedFileDialogs::getSaveFileName(QWidget*, const cw::FileDialogRequest& request,
                                             QString& chosenFilter) {
    saveRequests << request;
    chosenFilter = request.selectedFilter;
    if (!chosenFilters.empty()) {
        chosenFilter = chosenFilters.front();
        chosenFilters.pop_front();
    }
    return next();
}

QString ScriptedFileDialogs::getExistingDirectory(QWidget*, const cw::FileDialogRequest& request) {
    folderRequests << request;
    return next();
}

double FakeRandom::next() {
    if (values.empty())
        return 0.5;
    const double value = values.front();
    values.pop_front();
    return value;
}

namespace {
class RecordingPlayer : public cw::Player {
  public:
    explicit RecordingPlayer(PlayerLog& log) : log_(log) {}
    ~RecordingPlayer() override { log_.calls << QStringLiteral("Destroyed"); }
    void Open() override {
        log_.calls << QStringLiteral("Open ") + FileName;
        QFile file(FileName);
        if (!file.open(QIODevice::ReadOnly) || !file.read(4).startsWith("RIFF"))
            throw cw::AppError(QStringLiteral("The sound file %1 is not a wave file.").arg(FileName));
    }
    void Play() override { log_.calls << QStringLiteral("Play"); }
    void Stop() override { log_.calls << QStringLiteral("Stop"); }

  private:
    PlayerLog& log_;
};
} // namespace

std::unique_ptr<cw::Player> RecordingPlayerFactory::create() {
    return std::make_unique<RecordingPlayer>(log_);
}

} // namespace cwtest
