// The tune player over QSoundEffect: plays without waiting, silent where there is no audio device.
#include "core/apperror.h"
#include "gui/services/systemservices.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

namespace cw {

namespace {

// QSoundEffect only tells of a bad file later and quietly; check the wave header up front so that a
// file that cannot be read or decoded fails at Open.
void checkWaveFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot open the sound file %1: %2").arg(path, file.errorString()));
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        throw AppError(QStringLiteral("The sound file %1 is not a wave file.").arg(path));
}

class SoundEffectPlayer : public Player {
  public:
    void Open() override {
        checkWaveFile(FileName);
        effect_.setSource(QUrl::fromLocalFile(FileName));
    }
    void Play() override { effect_.play(); }
    void Stop() override { effect_.stop(); }

  private:
    QSoundEffect effect_;
};

class SoundEffectPlayerFactory : public PlayerFactory {
  public:
    std::unique_ptr<Player> create() override { return std::make_unique<SoundEffectPlayer>(); }
};

} // namespace

std::unique_ptr<PlayerFactory> createSoundPlayerFactory() {
    return std::make_unique<SoundEffectPlayerFactory>();
}

} // namespace cw
