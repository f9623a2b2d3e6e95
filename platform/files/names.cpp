#include "platform/files/names.h"

#include <QStringDecoder>

namespace platform {

namespace {

constexpr char16_t RawByteBase = 0xdc00;

bool isRawByte(QStringView text, qsizetype i) {
    return text[i].isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate());
}

} // namespace

bool AppendHeldName(QByteArrayView bytes, QString &held) {
    // Nearly every name on a CD is ASCII without a backslash, its own text: widened in the same
    // pass that looks for any other byte, the walk's most frequent work.
    const qsizetype start = held.size();
    held.resize(start + bytes.size());
    char16_t *out = reinterpret_cast<char16_t *>(held.data()) + start;
    unsigned other = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = b;
        other |= (b & 0x80u) | static_cast<unsigned>(b == '\\');
    }
    if (!other)
        return false;
    held.truncate(start);
    const QString decoded = QString::fromUtf8(bytes);
    if (decoded.toUtf8() == bytes) {
        held.append(decoded);
        for (qsizetype i = start; i < held.size(); ++i)
            if (held[i] == QLatin1Char('\\'))
                held[i] = QChar(RawByteBase + u'\\');
        return decoded.contains(QLatin1Char('\\'));
    }
    held.reserve(start + bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        held.append(b < 0x80 && b != '\\' ? QChar(b) : QChar(RawByteBase + b));
    }
    return true;
}

QString HeldName(QByteArrayView bytes) {
    QString held;
    AppendHeldName(bytes, held);
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
