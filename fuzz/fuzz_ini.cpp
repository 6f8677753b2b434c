// The settings file as read from disk: any bytes at all. Loading and saving
// again must reach a fixed point at once, a value the tool stores must read
// back exactly, and storing one key must leave every other key as it was.
#include "fuzzsupport.h"

#include "gbk.h"
#include "inifile.h"
#include "settings.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <array>

namespace {

const QString Section = QStringLiteral("CFG");
// The keys the tool keeps there.
const std::array<QString, 12> Keys = {
    QStringLiteral("Model"),   QStringLiteral("GateWay"),  QStringLiteral("Mask"),
    QStringLiteral("IP"),      QStringLiteral("DIP"),      QStringLiteral("Port"),
    QStringLiteral("DPort"),   QStringLiteral("BaudRate"), QStringLiteral("DataBit"),
    QStringLiteral("StopBit"), QStringLiteral("Parity"),   QStringLiteral("MAC")};

using Values = std::array<std::optional<QString>, Keys.size()>;

Values valuesOf(const IniDocument &doc) {
    Values values;
    for (size_t i = 0; i < Keys.size(); ++i)
        values[i] = doc.value(Section, Keys[i]);
    return values;
}

bool startsWithMark(QByteArrayView bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
           bytes.startsWith("\xFE\xFF");
}

// A GBK file cannot hold what GBK has no code for; the tool is not asked to.
bool storable(bool unicode, const QString &value) {
    return unicode || gbk::decode(gbk::encode(value)) == value;
}

// The in-memory document: fixed point, values set and read back.
void checkDocument(QByteArrayView bytes) {
    const std::optional<IniDocument> doc = IniDocument::fromBytes(bytes);
    if (!doc) {
        // Only a NUL or a byte-order mark over undecodable text is refused.
        FUZZ_CHECK(bytes.contains('\0') || startsWithMark(bytes));
        return;
    }
    const bool unicode = startsWithMark(bytes);
    const QByteArray saved = doc->toBytes();
    const std::optional<IniDocument> reloaded = IniDocument::fromBytes(saved);
    FUZZ_CHECK(reloaded);
    FUZZ_CHECK(reloaded->toBytes() == saved);
    // Written back in its own encoding; a text with no line at all is never
    // written by the tool, and its mark is not kept.
    FUZZ_CHECK(startsWithMark(saved) == unicode || saved.isEmpty());
    FUZZ_CHECK(valuesOf(*reloaded) == valuesOf(*doc));

    // Values are the file's own lines: every kind of spacing, quoting, "=" and
    // "[" the input holds, and GBK or Unicode text.
    IniDocument edited = *doc;
    Values expected = valuesOf(*doc);
    const QString text =
        unicode ? QStringDecoder(*QStringConverter::encodingForData(bytes)).decode(bytes)
                : gbk::decode(bytes);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size() && i < qsizetype(2 * Keys.size()); ++i) {
        QString value = lines[i];
        if (value.endsWith(QLatin1Char('\r')))
            value.chop(1);
        if (IniDocument::holdsLineBreak(value) || !storable(unicode, value))
            continue;
        const size_t key = size_t(i) % Keys.size();
        edited.setValue(Section, Keys[key], value);
        expected[key] = value;
        FUZZ_CHECK(valuesOf(edited) == expected);
    }
    const std::optional<IniDocument> written = IniDocument::fromBytes(edited.toBytes());
    FUZZ_CHECK(written);
    FUZZ_CHECK(valuesOf(*written) == expected);
}

// The file functions the window uses: restore, save what was restored,
// restore again.
void checkFile(QByteArrayView bytes) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("CFG.ini"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes.data(), bytes.size()) == bytes.size());
    }
    const ParameterSettings current;
    const settings::LoadResult loaded = settings::loadSettings(path, current);
    const bool readable = IniDocument::fromBytes(bytes).has_value();
    FUZZ_CHECK(readable == (loaded.message.isEmpty() || !loaded.unreadableKeys.isEmpty()));
    if (!readable)
        return;
    const bool unicode = startsWithMark(bytes);
    const ParameterSettings &v = loaded.values;
    for (const QString &text : v.fields + QStringList{v.Adapter}) {
        if (IniDocument::holdsLineBreak(text) || !storable(unicode, text))
            return;
    }
    FUZZ_CHECK(settings::saveSettings(path, v).ok);
    const settings::LoadResult again = settings::loadSettings(path, current);
    FUZZ_CHECK(again.message.isEmpty());
    FUZZ_CHECK(again.values == v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    checkDocument(bytes);
    checkFile(bytes);
    return 0;
}
