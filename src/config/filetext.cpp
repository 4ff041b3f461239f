#include "filetext.h"

#include "cp1251.h"

#include <QDir>
#include <QFileInfo>

namespace FileText {

namespace {

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

} // namespace

qsizetype multiByteSequenceAt(QByteArrayView bytes, qsizetype at)
{
    const auto byteAt = [&bytes](qsizetype i) {
        return static_cast<unsigned char>(bytes[i]);
    };
    const unsigned char lead = byteAt(at);
    qsizetype length = 0;
    char32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if (!isContinuation(byteAt(at + i)))
            return 0;
        codePoint = (codePoint << 6) | (byteAt(at + i) & 0x3F);
    }
    // The shortest form only, no surrogate halves, nothing beyond Unicode's last plane.
    const char32_t smallest = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0x80;
    if (codePoint < smallest || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
        codePoint > 0x10FFFF)
        return 0;
    return length;
}

bool isMultiByteUtf8(QByteArrayView bytes)
{
    bool multiByte = false;
    for (qsizetype at = 0; at < bytes.size();) {
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        const qsizetype length = multiByteSequenceAt(bytes, at);
        if (length == 0)
            return false;
        multiByte = true;
        at += length;
    }
    return multiByte;
}

Decoded decode(QByteArrayView bytes)
{
    if (!isMultiByteUtf8(bytes))
        return {Cp1251::toUnicode(bytes), false};
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return {text, true};
}

QString readAsUtf8Notice(const QString &path)
{
    return QStringLiteral("Файл ") + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) +
           QStringLiteral(" прочитан в кодировке UTF-8");
}

} // namespace FileText
