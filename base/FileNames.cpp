// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/FileNames.h"
#include <cerrno>
#include <unistd.h>
#include <QDir>

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kEscapeBase = 0xDC00; // byte b (0x80..0xff) is kept as kEscapeBase + b

bool IsContinuation(uchar b)
{
    return (b & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at `at` (its code point in `cp`), 0 when there is none.
// Overlong forms, encoded surrogates and code points past U+10FFFF are not valid.
int ValidSequence(QByteArrayView bytes, qsizetype at, char32_t& cp)
{
    const uchar lead = uchar(bytes[at]);
    int length = 0;
    uchar low = 0x80, high = 0xBF; // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() - at < length)
        return 0;
    const uchar second = uchar(bytes[at + 1]);
    if (second < low || second > high)
        return 0;
    cp = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const uchar b = uchar(bytes[at + i]);
        if (!IsContinuation(b))
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    return length;
}

void AppendUtf8(QByteArray& out, char32_t cp)
{
    if (cp < 0x80) {
        out.append(char(cp));
    } else if (cp < 0x800) {
        out.append(char(0xC0 | (cp >> 6))).append(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(char(0xE0 | (cp >> 12))).append(char(0x80 | ((cp >> 6) & 0x3F))).append(char(0x80 | (cp & 0x3F)));
    } else {
        out.append(char(0xF0 | (cp >> 18)))
            .append(char(0x80 | ((cp >> 12) & 0x3F)))
            .append(char(0x80 | ((cp >> 6) & 0x3F)))
            .append(char(0x80 | (cp & 0x3F)));
    }
}

} // namespace

QString DecodeFileName(QByteArrayView bytes)
{
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const uchar b = uchar(bytes[at]);
        if (b < 0x80) {
            name.append(QChar(char16_t(b)));
            ++at;
            continue;
        }
        char32_t cp = 0;
        if (const int length = ValidSequence(bytes, at, cp)) {
            name.append(QChar::fromUcs4(cp));
            at += length;
        } else {
            // One byte at a time: what follows a bad byte may start a valid sequence.
            name.append(QChar(char16_t(kEscapeBase + b)));
            ++at;
        }
    }
    return name;
}

QByteArray EncodeFileName(const QString& name)
{
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            AppendUtf8(out, QChar::surrogateToUcs4(c, name[i + 1].unicode()));
            ++i;
        } else if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            out.append(char(c - kEscapeBase));
        } else if (QChar::isSurrogate(c)) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

QString DisplayName(const QString& name)
{
    QString shown = name; // shares the text until a character changes
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate())
            ++i; // a pair stands for one character
        else if (c.isSurrogate())
            shown[i] = QChar(kReplacement);
    }
    return shown;
}

QString AbsoluteFileName(const QString& name)
{
    if (QDir::isAbsolutePath(name))
        return QDir::cleanPath(name);
    // The working folder as the system has it: Qt's own would lose bytes that are not UTF-8.
    QByteArray cwd(4096, '\0');
    while (!::getcwd(cwd.data(), size_t(cwd.size()))) {
        if (errno != ERANGE || cwd.size() > (1 << 20))
            return QDir::cleanPath(QStringLiteral("/") + name);
        cwd.resize(cwd.size() * 2);
    }
    return QDir::cleanPath(DecodeFileName(QByteArrayView(cwd.constData())) + QLatin1Char('/') + name);
}
