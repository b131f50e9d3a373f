#pragma once
// How the Address Books window words a source: its kind and how its last sync went.
#include "store/sources.h"

class QLabel;

namespace cw {

QString kindText(addressbook::SourceKind kind);
// The last error as the sync said it; else when the last sync succeeded ("Today at 09:15", "Yesterday
// at 17:40", "03/12/2026 at 08:00" in the user's own date format); else "Not synced yet".
QString lastSyncText(const addressbook::SourceInfo& source, const QDateTime& now);
// "Syncing…", with "120 of 500 contacts" once the count is known.
QString syncingText(int done, int total);
// A problem said in a box with OK, through the program's message service.
void showProblem(const QString& text, const QString& caption);
// Shows the text in the label and gives it, as the label's description, to screen readers, which
// otherwise hear only the label's short name.
void showText(QLabel* label, const QString& text);

} // namespace cw
