#pragma once
// What the program keeps for itself between runs, apart from the user's choices: the main window's
// size and place and the last day whose reminders were given. They live in a file of the program's
// own, $XDG_STATE_HOME/candlewise/state.ini (~/.local/state/candlewise/ by default); a value an
// earlier version left in the settings file is moved here the first time it is read.
#include <QString>

namespace cw {

enum class StateKey {
    WindowSize,         // "width,height" of the window's normal size
    WindowPosition,     // "x,y" of its frame's corner
    LastReminderDay,    // the last day whose pass ran (yyyy-MM-dd), and the first missed day caught up on it
    TimedReminderDay,   // the last day whose reminder was given at the chosen time of day (yyyy-MM-dd)
    EveningReminderDay, // the last evening whose reminder of the day after was given (yyyy-MM-dd)
};

QString stateFilePath();
// The stored text, empty when there is none.
QString readState(StateKey key);
// A failing write is not reported; the result says whether it stuck.
bool writeState(StateKey key, const QString& text);

} // namespace cw
