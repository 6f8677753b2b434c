// Text that comes from a module or a file: GBK bytes, addresses, MAC texts
// in replies, the module list's lines and its table of found modules.
#include "fuzzsupport.h"

#include "atframe.h"
#include "gbk.h"
#include "moduletable.h"
#include "parameters.h"

#include <QRegularExpression>

namespace {

// GBK bytes to text and back, and the stream cut the console relies on:
// text decoded in two reads, the second carrying what completeLength held
// back, equals the text decoded in one.
void checkGbk(QByteArrayView bytes) {
    const QString text = gbk::decode(bytes);
    FUZZ_CHECK(text.size() <= bytes.size());
    const qsizetype complete = gbk::completeLength(bytes);
    FUZZ_CHECK(complete == bytes.size() ||
               (complete == bytes.size() - 1 && quint8(bytes.back()) >= 0x81 &&
                quint8(bytes.back()) <= 0xFE));
    FUZZ_CHECK(gbk::completeLength(bytes.first(complete)) == complete);
    // A lead byte left waiting at the end shows as nothing.
    const QByteArray encoded = gbk::encode(text);
    FUZZ_CHECK(gbk::byteLength(text) == encoded.size());
    if (!text.contains(QChar::ReplacementCharacter)) {
        FUZZ_CHECK(gbk::decode(encoded) == text);
        FUZZ_CHECK(encoded.size() == complete);
    }

    // Cut where the first byte says, and before the last byte.
    for (const qsizetype cut : {bytes.isEmpty() ? 0 : quint8(bytes[0]) % (bytes.size() + 1),
                                qMax<qsizetype>(0, bytes.size() - 1)}) {
        const QByteArrayView first = bytes.first(cut);
        const qsizetype shown = gbk::completeLength(first);
        const QByteArray second =
            first.sliced(shown).toByteArray() + bytes.sliced(cut).toByteArray();
        FUZZ_CHECK(gbk::decode(first.first(shown)) + gbk::decode(second) == text);
    }

    // Any text, read as UTF-16: at most two GBK bytes a character (one for
    // what GBK cannot hold, none for an invisible formatting character), and
    // the length of a text is the sum of the lengths of its parts, so a
    // limit checked as the text grows holds for the whole (for text that is
    // well-formed: a surrogate left waiting at the end counts nothing).
    const QString wide =
        QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.data()), bytes.size() / 2);
    const qsizetype length = gbk::byteLength(wide);
    FUZZ_CHECK(length <= 2 * wide.toUcs4().size());
    qsizetype half = wide.size() / 2;
    if (half > 0 && wide[half].isLowSurrogate())
        --half;
    if (wide.isValidUtf16())
        FUZZ_CHECK(gbk::byteLength(wide.first(half)) + gbk::byteLength(wide.sliced(half)) ==
                   length);
}

// Addresses: any 32-bit value gives dotted text that reads back as itself.
void checkAddresses(QByteArrayView bytes) {
    static const QRegularExpression dotted(
        QStringLiteral("^(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])(\\.(?1)){3}$"));
    quint32 ip = 0;
    for (qsizetype i = 0; i < 4 && i < bytes.size(); ++i)
        ip |= quint32(quint8(bytes[i])) << (8 * i);
    const QString text = parameters::addressText(ip);
    FUZZ_CHECK(dotted.match(text).hasMatch());
    FUZZ_CHECK(parameters::normalizedAddress(text) == text);

    // A list line shows the address, ":" and the MAC text as sent.
    const QString line = ModuleTable::lineOf(ip, bytes.toByteArray());
    FUZZ_CHECK(line.section(QLatin1Char(':'), 0, 0) == text);
    FUZZ_CHECK(line.mid(text.size() + 1) == gbk::decode(bytes));
}

// The MAC text and payload the tool takes from a reply: never more than
// the datagram holds, and a well-formed reply gives back what was built.
void checkReply(QByteArrayView bytes) {
    const atframe::Reply reply = atframe::parseReply(bytes);
    const qsizetype close = bytes.indexOf('>');
    FUZZ_CHECK(reply.hasMac == (close >= 0));
    FUZZ_CHECK(reply.mac == (close > 1 ? bytes.sliced(1, close - 1) : QByteArrayView()));
    FUZZ_CHECK(reply.payload.size() <= qMax(qsizetype(0), bytes.size() - atframe::PayloadOffset));
    FUZZ_CHECK(!reply.payload.contains('\0'));
    FUZZ_CHECK(bytes.sliced(qMin(bytes.size(), atframe::PayloadOffset)).startsWith(reply.payload));

    QByteArray mac = bytes.first(qMin<qsizetype>(17, bytes.size())).toByteArray();
    mac.replace('>', '.');
    mac = mac.leftJustified(17, '0');
    const QByteArrayView payload = bytes.sliced(qMin<qsizetype>(17, bytes.size()));
    const atframe::Reply built = atframe::parseReply(atframe::buildReply(mac, payload));
    FUZZ_CHECK(built.hasMac && built.mac == mac);
    FUZZ_CHECK(built.payload ==
               payload.first(payload.indexOf('\0') < 0 ? payload.size() : payload.indexOf('\0')));
}

// The table of found modules, fed one search reply per non-empty piece: first
// byte the address (10.0.0.x, so clashes are common), the rest the MAC text. Every
// clash with an earlier entry is warned about once, and the table never
// holds more than it can.
void checkModuleTable(const QList<QByteArrayView> &replies) {
    ModuleTable table;
    table.clear();
    // A few more than the table holds reach its end; every further reply
    // would only cost a warning per entry.
    for (const QByteArrayView reply :
         replies.first(qMin(replies.size(), ModuleTable::MaxModules + 4))) {
        if (reply.isEmpty())
            continue;
        const quint32 ip = 10u | quint32(quint8(reply[0])) << 24;
        const QByteArray mac = reply.sliced(1).toByteArray();
        int clashes = 0;
        for (int i = 0; i < table.ModuleCount; ++i)
            clashes += table.ModuleIP[i] == ip || table.ModuleMAC[i] == mac;
        const int before = table.ModuleCount;
        int warnings = 0;
        const QString line = table.add(ip, 5000, mac, [&](const QString &) { ++warnings; });
        FUZZ_CHECK(warnings == clashes);
        if (before == ModuleTable::MaxModules) {
            FUZZ_CHECK(line.isEmpty() && table.ModuleCount == before);
            continue;
        }
        FUZZ_CHECK(table.ModuleCount == before + 1);
        FUZZ_CHECK(line == ModuleTable::lineOf(ip, mac));
        FUZZ_CHECK(table.ModuleMAC[before] == mac && table.ModuleIP[before] == ip);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    checkGbk(bytes);
    checkAddresses(bytes);
    checkReply(bytes);
    checkModuleTable(fuzz::pieces(data, size));
    return 0;
}
