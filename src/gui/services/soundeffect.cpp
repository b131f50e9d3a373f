// The tune module, candlewise-sound.so: QSoundEffect behind the Player interface. The tune player
// (soundplayer.cpp) loads it when a tune first plays, so that no start loads Qt Multimedia and the
// audio libraries under it.
#include "gui/services/services.h"

#include <QSoundEffect>
#include <QUrl>

namespace {

class SoundEffect : public cw::Player {
  public:
    void Open() override { effect_.setSource(QUrl::fromLocalFile(FileName)); }
    void Play() override { effect_.play(); }
    void Stop() override { effect_.stop(); }

  private:
    QSoundEffect effect_;
};

} // namespace

extern "C" __attribute__((visibility("default"))) cw::Player* candlewiseSoundEffect() {
    return new SoundEffect;
}
