#include "textio/textfile.h"

#include "app/apperror.h"
#include "textio/codepage1252.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace cw {

namespace {
constexpr qsizetype bufferLimit = 64 * 1024;

QString quoted(const QString& path) {
    return QLatin1Char('"') + path + QLatin1Char('"');
}
} // namespace

QString decodeText(const QByteArray& bytes) {
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return fromWindows1252(body);
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    const QChar* const begin = text.constData();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = begin[i];
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        lines << QString(begin + start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < size && begin[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines << QString(begin + start, size - start);
    return lines;
}

QStringList readTextLines(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile())
        throw AppError(QStringLiteral("File not found: %1").arg(quoted(path)));
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot open %1: %2").arg(quoted(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw AppError(QStringLiteral("Cannot read %1: %2").arg(quoted(path), file.errorString()));
    return splitLines(decodeText(bytes));
}

TextFileWriter::TextFileWriter(const QString& path) : path_(path), file_(path) {
    if (!file_.open(QIODevice::WriteOnly))
        throw AppError(QStringLiteral("Cannot create %1: %2").arg(quoted(path_), file_.errorString()));
}

void TextFileWriter::writeLine(const QString& line) {
    buffer_ += line.toUtf8();
    buffer_ += "\r\n";
    if (buffer_.size() >= bufferLimit)
        flushBuffer();
}

void TextFileWriter::flushBuffer() {
    if (buffer_.isEmpty())
        return;
    if (file_.write(buffer_) != buffer_.size())
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(quoted(path_), file_.errorString()));
    buffer_.clear();
}

void TextFileWriter::commit() {
    flushBuffer();
    if (!file_.commit())
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(quoted(path_), file_.errorString()));
}

} // namespace cw
