#pragma once
// The text files birthdays travel in. Reading takes UTF-8, falls back to Windows-1252 when the bytes
// are not valid UTF-8, drops a byte-order mark and ends lines at CR LF, LF or a lone CR. Writing
// gives UTF-8 with CR LF after every line, into a temporary file beside the target that replaces it
// only when every line is written.
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

namespace cw {

// The text of a file's bytes: UTF-8 without its byte-order mark, or Windows-1252.
QString decodeText(const QByteArray& bytes);
// The lines of a text without their ends; a line end at the very end starts no further line.
QStringList splitLines(const QString& text);
// Every line of the file at path, in file order. Throws AppError when the file is missing or
// cannot be read.
QStringList readTextLines(const QString& path);

// The lines of a file one at a time, the same as splitLines(decodeText(whole file)) gives, while only
// a piece of the file is in memory. A first pass over the bytes decides the encoding, which depends
// on every byte, and counts the lines; the second pass hands them out. A line longer than
// maxLineBytes ends the reading: it is handed out cut there as the last line, and neither pass holds
// or reads more of it, so a file without line ends cannot fill the memory.
class TextLineReader {
  public:
    static constexpr qsizetype defaultChunkBytes = 1 << 20;
    static constexpr qsizetype maxLineBytes = 64 * 1024;

    // Told the lines counted so far during the first pass; false stops the reader, which then gives
    // no lines.
    using CountProgress = std::function<bool(qint64 linesCounted)>;

    // Throws AppError when the file is missing or cannot be read.
    explicit TextLineReader(const QString& path, const CountProgress& progress = {});
    // A device open for reading at its start, which must be able to seek back to it.
    TextLineReader(QIODevice& device, const QString& name, const CountProgress& progress,
                   qsizetype chunkBytes = defaultChunkBytes);
    TextLineReader(const TextLineReader&) = delete;
    TextLineReader& operator=(const TextLineReader&) = delete;
    ~TextLineReader();

    qint64 lineCount() const { return lineCount_; }
    // The next line without its end; false after the last one. Throws AppError on a read failure.
    bool readLine(QString& line);
    // Whether the line last read was longer than maxLineBytes and came cut.
    bool lineCut() const { return lineCut_; }

  private:
    void scan(const CountProgress& progress);
    bool nextChunk(QByteArray& chunk);
    void rewind();

    std::unique_ptr<QFile> ownFile_;
    QIODevice* device_;
    QString name_;
    qsizetype chunkBytes_;
    bool utf8_ = true;
    bool firstChunk_ = true;
    bool deviceAtEnd_ = false;
    bool ended_ = false;      // a line too long was met: no further chunk
    bool chunkCut_ = false;   // the last chunk is the start of that line
    QByteArray carry_;        // read, not yet handed out; starts at the start of a line
    qsizetype scanned_ = 0;   // how much of carry_ was looked at for line ends
    qsizetype lineStart_ = 0; // where in carry_ the line not yet ended starts
    qint64 linesEnded_ = 0;
    QString text_;
    qsizetype position_ = 0;
    bool textCut_ = false;
    bool lineCut_ = false;
    qint64 lineCount_ = 0;
};

// The lines of an address book or a calendar one at a time, as UTF-8 bytes, while only a piece of
// the stream is in memory. A UTF-8 byte-order mark at the start is dropped, and text in UTF-16 with a
// byte-order mark is turned into UTF-8 on the way. Lines end at CR LF, LF or a lone CR. A line
// longer than the limit is handed out cut there; the rest of it is passed over without being held.
class ByteLineReader {
  public:
    // Reads from the current position of an open device; a read failure ends the lines.
    ByteLineReader(QIODevice& device, qsizetype lineLimit);
    // The next line without its end; false at the end of the stream.
    bool readLine(QByteArray& line);
    // Whether the line last read was longer than the limit and came cut.
    bool lineCut() const { return lineCut_; }

  private:
    bool fill();

    QIODevice& device_;
    qsizetype limit_;
    QByteArray buffer_; // read and decoded, from position_ on not yet handed out
    qsizetype position_ = 0;
    std::optional<QStringDecoder> utf16_;
    bool started_ = false;
    bool afterCr_ = false;  // an LF next ends no further line
    bool skipping_ = false; // the rest of a cut line is still to be passed over
    bool lineCut_ = false;
};

// Writes every byte; false when the device takes no more, its error string then telling why. A disk
// that fills up takes part of a write without saying why; the write of the rest gets the system's
// reason ("No space left on device"). The device should be unbuffered: a buffered file device may
// lose the reason in its own flush.
bool writeAll(QIODevice& device, QByteArrayView bytes);

class TextFileWriter {
  public:
    // Throws AppError when the file cannot be created.
    explicit TextFileWriter(const QString& path);
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Throws AppError when the line cannot be written.
    void writeLine(const QString& line);
    // The pieces one after the other as one line, without joining them first.
    void writeLine(std::initializer_list<QStringView> pieces);
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
