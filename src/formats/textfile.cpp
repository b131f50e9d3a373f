#include "formats/textfile.h"

#include "core/apperror.h"
#include "formats/codepage1252.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace cw {

namespace {
constexpr qsizetype bufferLimit = 64 * 1024;

QString quoted(const QString& path) {
    return QLatin1Char('"') + path + QLatin1Char('"');
}

const QByteArray byteOrderMark("\xEF\xBB\xBF");

bool isLineEnd(char16_t c) {
    return c == u'\n' || c == u'\r';
}

// The line that starts at position, without its end; position moves past the end.
QString takeLine(const QString& text, qsizetype& position) {
    const QChar* const data = text.constData();
    const qsizetype size = text.size();
    const qsizetype start = position;
    qsizetype end = start;
    while (end < size && !isLineEnd(data[end].unicode()))
        ++end;
    position = end + 1;
    if (end + 1 < size && data[end] == QLatin1Char('\r') && data[end + 1] == QLatin1Char('\n'))
        ++position;
    return QString(data + start, end - start);
}

// Every piece is decoded on its own; a byte-order mark is dropped only at the start of the text.
QString decodePiece(QByteArrayView bytes, bool utf8, bool first) {
    if (!utf8)
        return fromWindows1252(bytes);
    QStringDecoder decoder(QStringConverter::Utf8, first ? QStringConverter::Flag::Stateless
                                                         : QStringConverter::Flag::Stateless |
                                                               QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

bool isValidUtf8(QByteArrayView bytes, QString& scratch) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    scratch.resize(decoder.requiredSpace(bytes.size()));
    decoder.appendToBuffer(scratch.data(), bytes);
    return !decoder.hasError();
}
} // namespace

QString decodeText(const QByteArray& bytes) {
    // Every mark at the start goes, however many an editor wrote, so that a file read whole and
    // one read in pieces give the same lines.
    QByteArrayView body(bytes);
    while (body.startsWith(byteOrderMark))
        body = body.sliced(byteOrderMark.size());
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return fromWindows1252(body);
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype position = 0;
    while (position < text.size())
        lines << takeLine(text, position);
    return lines;
}

QStringList readTextLines(const QString& path) {
    TextLineReader reader(path);
    QStringList lines;
    QString line;
    while (reader.readLine(line))
        lines << line;
    return lines;
}

TextLineReader::TextLineReader(const QString& path, const CountProgress& progress)
    : ownFile_(std::make_unique<QFile>(path)), device_(ownFile_.get()), name_(path),
      chunkBytes_(defaultChunkBytes) {
    if (!QFileInfo(path).isFile())
        throw AppError(QStringLiteral("File not found: %1").arg(quoted(path)));
    if (!ownFile_->open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot open %1: %2").arg(quoted(path), ownFile_->errorString()));
    scan(progress);
}

TextLineReader::TextLineReader(QIODevice& device, const QString& name, const CountProgress& progress,
                               qsizetype chunkBytes)
    : device_(&device), name_(name), chunkBytes_(std::max<qsizetype>(chunkBytes, 1)) {
    scan(progress);
}

TextLineReader::~TextLineReader() = default;

void TextLineReader::rewind() {
    if (!device_->seek(0))
        throw AppError(QStringLiteral("Cannot read %1: %2").arg(quoted(name_), device_->errorString()));
    do
        carry_ = device_->read(byteOrderMark.size());
    while (carry_ == byteOrderMark);
    deviceAtEnd_ = false;
    ended_ = false;
    firstChunk_ = true;
    scanned_ = 0;
    lineStart_ = 0;
    linesEnded_ = 0;
    text_.clear();
    position_ = 0;
}

// The next run of whole lines, or the file's last piece. Bytes are cut only after a line end, never
// between the CR and the LF of one, so no UTF-8 sequence is split either.
bool TextLineReader::nextChunk(QByteArray& chunk) {
    const auto take = [&](qsizetype size) {
        chunk = carry_.first(size);
        carry_.remove(0, size);
        scanned_ -= size;
        lineStart_ -= size;
        return true;
    };
    chunkCut_ = false;
    while (!ended_) {
        const char* const data = carry_.constData();
        const qsizetype size = carry_.size();
        qsizetype i = scanned_;
        for (; i < size; ++i) {
            if (data[i] != '\n' && data[i] != '\r')
                continue;
            // A CR last in what was read may have its LF in the next read.
            if (i - lineStart_ > maxLineBytes || (data[i] == '\r' && i + 1 == size && !deviceAtEnd_))
                break;
            if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
                ++i;
            lineStart_ = i + 1;
            ++linesEnded_;
        }
        scanned_ = i;
        if (i - lineStart_ > maxLineBytes) {
            if (lineStart_ > 0)
                return take(lineStart_);
            // The start of the line, cut before a UTF-8 sequence, is the last chunk.
            qsizetype cut = maxLineBytes;
            while (cut > maxLineBytes - 3 && (static_cast<unsigned char>(data[cut]) & 0xC0) == 0x80)
                --cut;
            take(cut);
            carry_.clear();
            ++linesEnded_;
            ended_ = chunkCut_ = true;
            return true;
        }
        if (deviceAtEnd_) {
            ended_ = true;
            if (lineStart_ < size)
                ++linesEnded_; // the last line has no end
            return size > 0 && take(size);
        }
        if (lineStart_ > 0)
            return take(lineStart_);
        carry_.resize(size + chunkBytes_);
        const qint64 read = device_->read(carry_.data() + size, chunkBytes_);
        if (read < 0)
            throw AppError(QStringLiteral("Cannot read %1: %2").arg(quoted(name_), device_->errorString()));
        carry_.resize(size + read);
        deviceAtEnd_ = read == 0;
    }
    return false;
}

void TextLineReader::scan(const CountProgress& progress) {
    rewind();
    QString scratch;
    QByteArray chunk;
    while (nextChunk(chunk)) {
        utf8_ = utf8_ && isValidUtf8(chunk, scratch);
        lineCount_ = linesEnded_;
        if (progress && !progress(lineCount_)) {
            lineCount_ = 0;
            carry_.clear();
            ended_ = true; // no lines are handed out
            return;
        }
    }
    rewind();
}

bool TextLineReader::readLine(QString& line) {
    while (position_ >= text_.size()) {
        QByteArray chunk;
        if (!nextChunk(chunk))
            return false;
        text_ = decodePiece(chunk, utf8_, firstChunk_);
        textCut_ = chunkCut_;
        firstChunk_ = false;
        position_ = 0;
    }
    line = takeLine(text_, position_);
    lineCut_ = textCut_ && position_ >= text_.size();
    return true;
}

ByteLineReader::ByteLineReader(QIODevice& device, qsizetype lineLimit) : device_(device), limit_(lineLimit) {}

// The next piece of the stream into buffer_; false at its end.
bool ByteLineReader::fill() {
    constexpr qsizetype pieceBytes = 64 * 1024;
    position_ = 0;
    do {
        buffer_.resize(pieceBytes);
        const qint64 read = device_.read(buffer_.data(), pieceBytes);
        if (read <= 0) {
            buffer_.clear();
            return false;
        }
        buffer_.resize(read);
        if (!started_) {
            started_ = true;
            if (buffer_.startsWith(byteOrderMark)) {
                buffer_.remove(0, byteOrderMark.size());
            } else if (buffer_.startsWith("\xFF\xFE") || buffer_.startsWith("\xFE\xFF")) {
                utf16_.emplace(buffer_[0] == '\xFF' ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
                buffer_.remove(0, 2);
            }
        }
        if (utf16_)
            buffer_ = QString(utf16_->decode(buffer_)).toUtf8();
    } while (buffer_.isEmpty());
    return true;
}

bool ByteLineReader::readLine(QByteArray& line) {
    const auto lineEnd = [this] {
        return std::find_if(buffer_.cbegin() + position_, buffer_.cend(),
                            [](char c) { return c == '\n' || c == '\r'; }) -
               buffer_.cbegin();
    };
    while (skipping_) {
        if (position_ == buffer_.size() && !fill())
            return false;
        position_ = lineEnd();
        if (position_ < buffer_.size()) {
            afterCr_ = buffer_[position_++] == '\r';
            skipping_ = false;
        }
    }
    line.clear();
    lineCut_ = false;
    bool begun = false;
    for (;;) {
        if (position_ == buffer_.size() && !fill())
            return begun;
        if (afterCr_) {
            afterCr_ = false;
            if (buffer_[position_] == '\n') {
                ++position_;
                continue;
            }
        }
        begun = true;
        const qsizetype end = lineEnd();
        if (line.size() + end - position_ > limit_) {
            line.append(buffer_.constData() + position_, limit_ - line.size());
            lineCut_ = skipping_ = true;
            return true;
        }
        line.append(buffer_.constData() + position_, end - position_);
        position_ = end;
        if (end < buffer_.size()) {
            afterCr_ = buffer_[position_++] == '\r';
            return true;
        }
    }
}

bool writeAll(QIODevice& device, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const qint64 written = device.write(bytes.data(), bytes.size());
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

TextFileWriter::TextFileWriter(const QString& path) : path_(path), file_(path) {
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw AppError(QStringLiteral("Cannot create %1: %2").arg(quoted(path_), file_.errorString()));
}

void TextFileWriter::writeLine(const QString& line) {
    writeLine({QStringView(line)});
}

void TextFileWriter::writeLine(std::initializer_list<QStringView> pieces) {
    qsizetype length = 2;
    for (const QStringView piece : pieces)
        length += piece.size();
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const qsizetype start = buffer_.size();
    buffer_.resize(start + utf8.requiredSpace(length));
    char* end = buffer_.data() + start;
    for (const QStringView piece : pieces)
        end = utf8.appendToBuffer(end, piece);
    *end++ = '\r';
    *end++ = '\n';
    buffer_.truncate(end - buffer_.constData());
    if (buffer_.size() >= bufferLimit)
        flushBuffer();
}

void TextFileWriter::flushBuffer() {
    if (buffer_.isEmpty())
        return;
    if (!writeAll(file_, buffer_))
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(quoted(path_), file_.errorString()));
    buffer_.truncate(0); // the room stays for the next lines
}

void TextFileWriter::commit() {
    flushBuffer();
    if (!file_.commit())
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(quoted(path_), file_.errorString()));
}

} // namespace cw
