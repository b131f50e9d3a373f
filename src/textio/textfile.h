#pragma once
// The text files birthdays travel in. Reading takes UTF-8, falls back to Windows-1252 when the bytes
// are not valid UTF-8, drops a byte-order mark and ends lines at CR LF, LF or a lone CR. Writing
// gives UTF-8 with CR LF after every line, into a temporary file beside the target that replaces it
// only when every line is written.
#include <QSaveFile>
#include <QString>
#include <QStringList>

namespace cw {

// The text of a file's bytes: UTF-8 without its byte-order mark, or Windows-1252.
QString decodeText(const QByteArray& bytes);
// The lines of a text without their ends; a line end at the very end starts no further line.
QStringList splitLines(const QString& text);
// Every line of the file at path, in file order. Throws AppError when the file is missing or
// cannot be read.
QStringList readTextLines(const QString& path);

class TextFileWriter {
  public:
    // Throws AppError when the file cannot be created.
    explicit TextFileWriter(const QString& path);
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Throws AppError when the line cannot be written.
    void writeLine(const QString& line);
    // Puts the written file in place of the target; throws AppError when that fails. A writer that
    // is destroyed without commit leaves the target as it was and no temporary file behind.
    void commit();

  private:
    void flushBuffer();
    QString path_;
    QSaveFile file_;
    QByteArray buffer_;
};

} // namespace cw
