#include "gui/services/services.h"

#include <QDesktopServices>
#include <QRandomGenerator>

namespace cw {

namespace {

class DesktopShell : public Shell {
  public:
    void openUrl(const QUrl& url) override { QDesktopServices::openUrl(url); }
};

class SystemRandom : public RandomSource {
  public:
    void seed(quint32 value) override { generator_.seed(value); }
    double next() override { return generator_.generateDouble(); }

  private:
    QRandomGenerator generator_{QRandomGenerator::global()->generate()};
};

} // namespace

std::unique_ptr<Shell> createDesktopShell() {
    return std::make_unique<DesktopShell>();
}
std::unique_ptr<RandomSource> createSystemRandom() {
    return std::make_unique<SystemRandom>();
}

} // namespace cw
