// The tune player over QSoundEffect: plays without waiting, silent where there is no audio device.
// QSoundEffect lives in the module candlewise-sound.so beside the program, loaded when a tune first
// plays: Qt Multimedia and the audio libraries under it are a sixth of the libraries a start would
// load otherwise.
#include "core/apperror.h"
#include "gui/services/services.h"

#include <QFile>

#include <dlfcn.h>

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

// The module stays loaded for good: the players it made run its code.
std::unique_ptr<Player> loadSoundEffect() {
    const QString path = services().applicationFolder() + QStringLiteral("/candlewise-sound.so");
    void* module = dlopen(QFile::encodeName(path).constData(), RTLD_LAZY | RTLD_LOCAL);
    const auto make =
        module ? reinterpret_cast<Player* (*)()>(dlsym(module, "candlewiseSoundEffect")) : nullptr;
    if (!make) {
        const char* why = dlerror();
        throw AppError(QStringLiteral("Cannot load the sound module %1: %2")
                           .arg(path, why ? QString::fromLocal8Bit(why) : QString()));
    }
    return std::unique_ptr<Player>(make());
}

class SoundEffectPlayer : public Player {
  public:
    void Open() override {
        checkWaveFile(FileName);
        if (!effect_)
            effect_ = loadSoundEffect();
        effect_->FileName = FileName;
        effect_->Open();
    }
    void Play() override {
        if (effect_)
            effect_->Play();
    }
    void Stop() override {
        if (effect_)
            effect_->Stop();
    }

  private:
    std::unique_ptr<Player> effect_; // made by the module on the first Open
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
