#pragma once
// Every outside service the program uses is reached through here, so tests can put scripted ones in place.
#include "core/clock.h"

#include <QString>
#include <QUrl>

#include <memory>

class QWidget;

namespace cw {

class TrayShell;
class Notifier;

enum class MessageIcon { None, Information, Exclamation, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageResult { Ok, Yes, No };

class MessageService {
  public:
    virtual ~MessageService() = default;
    // An empty caption means the application title. The text is plain; link, when given, is a web
    // address of the program's own in it, shown as a link.
    virtual MessageResult show(const QString& text, const QString& caption, MessageIcon icon,
                               MessageButtons buttons, const QString& link = {}) = 0;
};

struct FileDialogRequest {
    QString title;
    QString presetName;
    QString filter;         // "Text Files (*.txt);;All Files (*)"
    QString selectedFilter; // "Text Files (*.txt)"
};

class FileDialogService {
  public:
    virtual ~FileDialogService() = default;
    // The chosen path, or an empty text when the user cancelled.
    virtual QString getOpenFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // chosenFilter gets the filter selected when the user confirmed.
    virtual QString getSaveFileName(QWidget* parent, const FileDialogRequest& request,
                                    QString& chosenFilter) = 0;
    // A folder, or an empty text when the user cancelled; request.presetName is where it starts.
    virtual QString getExistingDirectory(QWidget* parent, const FileDialogRequest& request) = 0;
};

class Shell {
  public:
    virtual ~Shell() = default;
    virtual void openUrl(const QUrl& url) = 0;
};

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual void seed(quint32 value) = 0;
    virtual double next() = 0; // in [0, 1)
};

// Plays one wave file without waiting for it; a file that cannot be read fails at Open.
class Player {
  public:
    virtual ~Player() = default;
    QString FileName;
    virtual void Open() = 0; // throws AppError
    virtual void Play() = 0;
    virtual void Stop() = 0;
};

class PlayerFactory {
  public:
    virtual ~PlayerFactory() = default;
    virtual std::unique_ptr<Player> create() = 0;
};

class TrayShellFactory {
  public:
    virtual ~TrayShellFactory() = default;
    virtual std::unique_ptr<TrayShell> create() = 0;
};

class Services {
  public:
    static Services& instance();

    Clock& clock();
    MessageService& messages();
    FileDialogService& fileDialogs();
    Shell& shell();
    RandomSource& random();
    PlayerFactory& players();
    TrayShellFactory& trayShells();
    Notifier& notices();
    // An address book's sync problem has a notice of its own: it and an alert never replace each other.
    Notifier& syncNotices();
    // The folder the side files are read from: the running executable's folder.
    QString applicationFolder() const;
    QString applicationFilePath() const;

    void setClock(std::unique_ptr<Clock> clock);
    void setMessages(std::unique_ptr<MessageService> messages);
    void setFileDialogs(std::unique_ptr<FileDialogService> dialogs);
    void setShell(std::unique_ptr<Shell> shell);
    void setRandom(std::unique_ptr<RandomSource> random);
    void setPlayers(std::unique_ptr<PlayerFactory> players);
    void setTrayShells(std::unique_ptr<TrayShellFactory> trayShells);
    void setNotices(std::unique_ptr<Notifier> notices);
    void setSyncNotices(std::unique_ptr<Notifier> notices);
    void setApplicationFilePath(const QString& path);
    // Back to the production services.
    void reset();

  private:
    Services();
    ~Services();
    std::unique_ptr<MessageService> messages_;
    std::unique_ptr<FileDialogService> fileDialogs_;
    std::unique_ptr<Shell> shell_;
    std::unique_ptr<RandomSource> random_;
    std::unique_ptr<PlayerFactory> players_;
    std::unique_ptr<TrayShellFactory> trayShells_;
    std::unique_ptr<Notifier> notices_;
    std::unique_ptr<Notifier> syncNotices_;
    QString applicationFilePath_;
};

inline Services& services() {
    return Services::instance();
}

// A plain message with OK, captioned with the application title.
inline void showMessage(const QString& text, const QString& link = {}) {
    services().messages().show(text, {}, MessageIcon::None, MessageButtons::Ok, link);
}

// The production services, which Services makes when one is first asked for and no other was put in
// place: message boxes, file dialogs, the desktop, the tune player.
std::unique_ptr<MessageService> createMessageBoxService();
std::unique_ptr<FileDialogService> createFileDialogService();
std::unique_ptr<Shell> createDesktopShell();
std::unique_ptr<RandomSource> createSystemRandom();
std::unique_ptr<PlayerFactory> createSoundPlayerFactory();

} // namespace cw
