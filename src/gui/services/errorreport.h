#pragma once
// The one way the program tells the user that something failed: the "Application Error" box with the
// procedure's location and the number of the step that failed.
#include <QString>

#include <exception>
#include <utility>

namespace cw {

enum class Location {
    Form1_Form_Load,
    Form1_Form_Activate,
    Form1_Form_QueryUnload,
    Form1_ListBirthdays,
    Form1_PushButton1_Click,
    Form1_PushButton2_Click,
    Form1_PushButton3_Click,
    Form1_PushButton4_Click,
    Form1_PushButton5_Click,
    Form1_PushButton6_Click,
    Form1_PushButton7_Click,
    Form1_PushButton8_Click,
    Form1_PushButton9_Click,
    Form1_PushButton10_Click,
    Form1_Timer1_Timer,
    Form1_HasBirthdayToday,
    Form2_Form_Load,
    Form2_PushButton1_Click,
    Form2_PushButton6_Click,
    Form3_Form_Load,
    Form3_ListTodayBirthday,
    Form3_PushButton2_Click,
    Form1_Check3_Click,
};

QString locationText(Location where);
QString errorReportText(const QString& description, Location where, int step);
// Shows the box and returns when the user has pressed OK.
void showErrorReport(const QString& description, Location where, int step);
void showErrorReport(const std::exception& error, Location where, int step);

// Runs a procedure's numbered steps: a step that throws is reported with the procedure's location and
// its number, and the procedure goes on with the next step.
class ErrorGuard {
  public:
    explicit ErrorGuard(Location where) : where_(where) {}

    template <typename Body> void step(int number, Body&& body) {
        try {
            std::forward<Body>(body)();
        } catch (const std::exception& error) {
            report(error, number);
        }
    }

    // The test of an if-step: a test that throws is reported and counts as passed, so the guarded
    // body runs next.
    template <typename Condition> bool test(int number, Condition&& condition) {
        try {
            return std::forward<Condition>(condition)();
        } catch (const std::exception& error) {
            report(error, number);
            return true;
        }
    }

    int reports() const { return reports_; }

  private:
    void report(const std::exception& error, int number);
    Location where_;
    int reports_ = 0;
};

} // namespace cw
