#include "gbk.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QStringDecoder>
#include <QStringEncoder>
#endif

namespace gbk {

#ifdef _WIN32

QByteArray encode(const QString &text)
{
    if (text.isEmpty())
        return {};
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int n = WideCharToMultiByte(936, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    QByteArray out(n, Qt::Uninitialized);
    WideCharToMultiByte(936, 0, wide, int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

QString decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    const int n = MultiByteToWideChar(936, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    QString out(n, Qt::Uninitialized);
    MultiByteToWideChar(936, 0, bytes.data(), int(bytes.size()),
                        reinterpret_cast<wchar_t *>(out.data()), n);
    return out;
}

#else

QByteArray encode(const QString &text)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        return text.toLatin1(); // Qt without ICU: only ASCII survives
    return encoder.encode(text);
}

QString decode(QByteArrayView bytes)
{
    QStringDecoder decoder("GBK");
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

#endif

qsizetype byteLength(const QString &text)
{
    return encode(text).size();
}

qsizetype completeLength(QByteArrayView bytes)
{
    // Lead bytes are 0x81..0xFE and always take the next byte as their trail,
    // so one walk from the start finds the character boundaries.
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto byte = quint8(bytes[i]);
        if (byte >= 0x81 && byte <= 0xFE) {
            if (i + 1 == bytes.size())
                return i;
            i += 2;
        } else {
            ++i;
        }
    }
    return bytes.size();
}

} // namespace gbk
