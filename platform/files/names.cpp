#include "platform/files/names.h"

#include <QStringDecoder>

#include <algorithm>

namespace platform {

namespace {

constexpr char16_t RawByteBase = 0xdc00;

bool isRawByte(QStringView text, qsizetype i) {
    return text[i].isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate());
}

} // namespace

qsizetype WriteHeldName(QByteArrayView bytes, char16_t *out, bool &rawBytes) {
    // Nearly every name on a CD is ASCII without a backslash, its own text: widened in the same
    // pass that looks for any other byte, the walk's most frequent work.
    unsigned other = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = b;
        other |= (b & 0x80u) | static_cast<unsigned>(b == '\\');
    }
    rawBytes = other != 0;
    if (!other)
        return bytes.size();
    QString held = QString::fromUtf8(bytes);
    if (held.toUtf8() == bytes) {
        rawBytes = held.contains(QLatin1Char('\\'));
        held.replace(QLatin1Char('\\'), QChar(RawByteBase + u'\\'));
    } else {
        held.resize(bytes.size());
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            held[i] = b < 0x80 && b != '\\' ? QChar(b) : QChar(RawByteBase + b);
        }
    }
    std::copy_n(held.utf16(), held.size(), out);
    return held.size();
}

QString HeldName(QByteArrayView bytes) {
    QString held(bytes.size(), Qt::Uninitialized);
    bool rawBytes = false;
    held.truncate(WriteHeldName(bytes, reinterpret_cast<char16_t *>(held.data()), rawBytes));
    return held;
}

bool HoldsRawBytes(QStringView held) {
    for (qsizetype i = 0; i < held.size(); ++i)
        if (isRawByte(held, i))
            return true;
    return false;
}

QByteArray NameBytes(QStringView held) {
    QByteArray bytes;
    bytes.reserve(held.size());
    qsizetype textStart = 0;
    for (qsizetype i = 0; i < held.size(); ++i) {
        if (!isRawByte(held, i) || held[i].unicode() > RawByteBase + 0xff)
            continue;
        bytes.append(held.mid(textStart, i - textStart).toUtf8());
        bytes.append(static_cast<char>(held[i].unicode() - RawByteBase));
        textStart = i + 1;
    }
    bytes.append(held.mid(textStart).toUtf8());
    return bytes;
}

QString TextOfBytes(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder windows("windows-1252", QStringDecoder::Flag::Stateless);
    // A Qt built without ICU lacks the code page; Latin-1 is the nearest it has.
    return windows.isValid() ? QString(windows.decode(bytes)) : QString::fromLatin1(bytes);
}

QString NameText(const QString &held) {
    if (!HoldsRawBytes(held))
        return held;
    QString text;
    text.reserve(held.size());
    for (qsizetype start = 0; start <= held.size();) {
        qsizetype end = held.indexOf(QLatin1Char('\\'), start);
        if (end < 0)
            end = held.size();
        const QStringView name = QStringView(held).mid(start, end - start);
        text.append(HoldsRawBytes(name)
                        ? TextOfBytes(NameBytes(name)).replace(QLatin1Char('\\'), BackslashStandIn)
                        : name.toString());
        if (end < held.size())
            text.append(QLatin1Char('\\'));
        start = end + 1;
    }
    return text;
}

} // namespace platform
