#include "gui/services/errorreport.h"

#include "core/apperror.h"
#include "core/config.h"
#include "gui/services/services.h"

#include <array>

namespace cw {

namespace {
constexpr std::array procedureNames{
    "Form1.Form_Load",         "Form1.Form_Activate",      "Form1.Form_QueryUnload",
    "Form1.ListBirthdays",     "Form1.PushButton1_Click",  "Form1.PushButton2_Click",
    "Form1.PushButton3_Click", "Form1.PushButton4_Click",  "Form1.PushButton5_Click",
    "Form1.PushButton6_Click", "Form1.PushButton7_Click",  "Form1.PushButton8_Click",
    "Form1.PushButton9_Click", "Form1.PushButton10_Click", "Form1.Timer1_Timer",
    "Form1.HasBirthdayToday",  "Form2.Form_Load",          "Form2.PushButton1_Click",
    "Form2.PushButton6_Click", "Form3.Form_Load",          "Form3.ListTodayBirthday",
    "Form3.PushButton2_Click", "Form1.Check3_Click",
};
static_assert(procedureNames.size() == static_cast<size_t>(Location::Form1_Check3_Click) + 1);
} // namespace

QString locationText(Location where) {
    return QStringLiteral("in Wickmere2021/08/31.%1 ")
        .arg(QLatin1String(procedureNames.at(static_cast<size_t>(where))));
}

QString errorReportText(const QString& description, Location where, int step) {
    return description + QStringLiteral("\r\n") + locationText(where) + QStringLiteral("at line ") +
           QString::number(step) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + config::supportEmail;
}

void showErrorReport(const QString& description, Location where, int step) {
    services().messages().show(errorReportText(description, where, step), QStringLiteral("Application Error"),
                               MessageIcon::Exclamation, MessageButtons::Ok);
}

void showErrorReport(const std::exception& error, Location where, int step) {
    showErrorReport(describe(error), where, step);
}

void ErrorGuard::report(const std::exception& error, int number) {
    ++reports_;
    try {
        showErrorReport(error, where_, number);
    } catch (...) {
        // The report is the last line of defence; a failing box must not take the program down.
    }
}

} // namespace cw
