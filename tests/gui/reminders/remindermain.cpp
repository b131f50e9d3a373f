#include "remindermain.h"

#include "gui/services/services.h"
#include "support/fakeservices.h"

#include <QApplication>
#include <QPointer>

namespace remindertest {

int exec(int argc, char** argv, const std::function<int()>& runTests) {
    auto app = std::make_unique<QApplication>(argc, argv);
    const int failures = runTests();
    cw::services().setSyncNotices(std::make_unique<cwtest::FakeNotifier>());
    const QPointer<cw::Notifier> syncNotices = &cw::services().syncNotices();
    app.reset();
    if (syncNotices)
        qFatal("a desktop notifier outlived the application");
    return failures;
}

} // namespace remindertest
