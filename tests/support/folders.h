#pragma once
// A test's own folders: temporary data root, settings home, state, autostart and application
// folder, named in the environment. It needs no display; nothing outside the temporary folder is
// touched.
#include <QTemporaryDir>

namespace cwtest {

class Folders {
  public:
    Folders();
    ~Folders();
    Folders(const Folders&) = delete;
    Folders& operator=(const Folders&) = delete;

    QString path(const QString& relative = {}) const;
    QString appFolder() const { return path(QStringLiteral("app")); }
    // Copies a side file of the built program (dbBlank.mdb, happybirthday.wav, ...) into the
    // application folder; false when the build has none.
    bool installSideFile(const QString& name);
    // The built blank store as the live store, without the window's first run, and the shared
    // connection opened on it.
    void openBlankStore();

  private:
    QTemporaryDir dir_;
};

QString builtSideFile(const QString& name);

} // namespace cwtest
