#pragma once
// Every statement the program runs on the birthday table is built here. Only a person's name enters
// as text, inside quotes with its own quotes doubled; numbers are written as plain decimal digits.
#include <QString>

namespace cw::statements {

QString quoteName(const QString& name);
// Blanks (spaces) cut from both ends; other white space is part of the text.
QString trimBlanks(const QString& text);

// The one read statement; BirthdayList reads it.
QString listQuery();
QString editorInsert(const QString& name, int month, int day);
QString editorUpdate(const QString& name, int month, int day, qint64 id);
QString deleteById(qint64 id);
QString testDelete();
QString testInsert();
QString sampleInsert();
// The name is quoted first and then trimmed of blanks, as the import has always done.
QString importInsert(const QString& name, int month, int day);
// The import insert with the name, month and day as parameters 1, 2 and 3: an import prepares it
// once and runs it for every line.
QString importInsertWithParameters();

// The id as the list shows it; throws AppError unless it is a whole number.
qint64 idFromText(const QString& text);

} // namespace cw::statements
