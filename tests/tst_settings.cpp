// The settings file: its format, what survives a save, and what a failed or
// interrupted save leaves behind.
#include "buildinfo.h"
#include "gbk.h"
#include "inifile.h"
#include "settings.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <optional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

Q_DECLARE_METATYPE(ParameterSettings)

namespace {

using namespace Qt::StringLiterals;

ParameterSettings settingsOf(const QStringList &fields, const QString &adapter) {
    ParameterSettings values;
    values.fields = fields;
    values.Adapter = adapter;
    return values;
}

ParameterSettings sample() {
    return settingsOf({u"2"_s, u"10.0.0.1"_s, u"255.255.255.0"_s, u"10.0.0.7"_s, u"10.0.0.100"_s,
                       u"5001"_s, u"6001"_s, u"6"_s, u"1"_s, u"3"_s, u"2"_s,
                       u"00:11:22:33:44:55"_s},
                      u"eth0"_s);
}

// Differs from sample() in every member.
ParameterSettings other() {
    return settingsOf({u"1"_s, u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"12"_s, u"0"_s,
                       u"1"_s, u"1"_s, u"g"_s},
                      u"h"_s);
}

const QByteArray sampleFile = "[CFG]\r\n"
                              "Model=2\r\n"
                              "GateWay=10.0.0.1\r\n"
                              "Mask=255.255.255.0\r\n"
                              "IP=10.0.0.7\r\n"
                              "DIP=10.0.0.100\r\n"
                              "Port=5001\r\n"
                              "DPort=6001\r\n"
                              "BaudRate=6\r\n"
                              "DataBit=1\r\n"
                              "StopBit=3\r\n"
                              "Parity=2\r\n"
                              "MAC=00:11:22:33:44:55\r\n"
                              "Adapter=eth0\r\n";

QByteArray readAll(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The encodings an editor may save a settings file in; GBK without a mark is
// what the tool itself writes.
enum class Encoding { Gbk, Utf8Bom, Utf16LeBom, Utf16BeBom, Utf16LeNoBom };

QByteArray encoded(const QString &text, Encoding encoding) {
    using C = QStringConverter;
    switch (encoding) {
    case Encoding::Gbk:
        return gbk::encode(text);
    case Encoding::Utf8Bom:
        return QStringEncoder(C::Utf8, C::Flag::WriteBom).encode(text);
    case Encoding::Utf16LeBom:
        return QStringEncoder(C::Utf16LE, C::Flag::WriteBom).encode(text);
    case Encoding::Utf16BeBom:
        return QStringEncoder(C::Utf16BE, C::Flag::WriteBom).encode(text);
    case Encoding::Utf16LeNoBom:
        return QStringEncoder(C::Utf16LE).encode(text);
    }
    return {};
}

#ifdef Q_OS_UNIX
// A file size limit stands in for a disk that fills up: writes past it fail
// (the signal they would raise is ignored meanwhile).
settings::SaveResult saveWithFileSizeLimit(const QString &path, const ParameterSettings &values,
                                           rlim_t limit) {
    rlimit saved{};
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0)
        return {false, u"getrlimit failed"_s};
    rlimit small = saved;
    small.rlim_cur = limit;
    if (setrlimit(RLIMIT_FSIZE, &small) != 0)
        return {false, u"setrlimit failed"_s};
    auto *oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const settings::SaveResult r = settings::saveSettings(path, values);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    return r;
}

// HOME set to folder (or unset, for an empty one) and XDG_CONFIG_HOME unset
// for the lifetime of the object.
class HomeFolder {
public:
    explicit HomeFolder(const QString &folder)
        : m_home(qgetenv("HOME"))
        , m_hadHome(qEnvironmentVariableIsSet("HOME"))
        , m_config(qgetenv("XDG_CONFIG_HOME"))
        , m_hadConfig(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
        if (folder.isEmpty())
            qunsetenv("HOME");
        else
            qputenv("HOME", QFile::encodeName(folder));
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~HomeFolder() {
        restore("HOME", m_hadHome, m_home);
        restore("XDG_CONFIG_HOME", m_hadConfig, m_config);
    }
    HomeFolder(const HomeFolder &) = delete;
    HomeFolder &operator=(const HomeFolder &) = delete;

private:
    static void restore(const char *name, bool had, const QByteArray &value) {
        if (had)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    QByteArray m_home;
    bool m_hadHome;
    QByteArray m_config;
    bool m_hadConfig;
};
#endif

} // namespace

namespace QTest {
template <> char *toString(const ParameterSettings &s) {
    const QString text = u'{' + s.fields.join(u' ') + u' ' + s.Adapter + u'}';
    return qstrdup(text.toUtf8().constData());
}
} // namespace QTest

class TstSettings : public QObject {
    Q_OBJECT

    // A fresh folder per test, so one test's leftovers cannot hide another's.
    std::optional<QTemporaryDir> m_dir;
    QString m_path;

private slots:
    void init() {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("CFG.ini"));
    }

    void saveWritesTheStandardFormat() {
        const settings::SaveResult r = settings::saveSettings(m_path, sample());
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(readAll(m_path), sampleFile);
    }

    void saveChangeRestoreGivesEveryValueBack() {
        QVERIFY(settings::saveSettings(m_path, sample()).ok);
        const settings::LoadResult r = settings::loadSettings(m_path, other());
        QCOMPARE(r.values, sample());
        QVERIFY(r.unreadableKeys.isEmpty());
        QVERIFY(r.message.isEmpty());

        // A second save over an existing file replaces the values in place.
        QVERIFY(settings::saveSettings(m_path, other()).ok);
        QCOMPARE(settings::loadSettings(m_path, sample()).values, other());
        QCOMPARE(readAll(m_path).count("\r\n"), 14);
    }

    void noSelectionIsStoredAsMinusOne() {
        ParameterSettings s = sample();
        s.setField(u"Model", u"-1"_s);
        QVERIFY(settings::saveSettings(m_path, s).ok);
        QVERIFY(readAll(m_path).contains("\r\nModel=-1\r\n"));
        QCOMPARE(settings::loadSettings(m_path, other()).values.field(u"Model"), u"-1"_s);
    }

    void missingFileGivesTheDefaults_data() {
        QTest::addColumn<QString>("relative");
        QTest::newRow("no file") << QStringLiteral("CFG.ini");
        QTest::newRow("no folder") << QStringLiteral("absent/CFG.ini");
    }
    void missingFileGivesTheDefaults() {
        QFETCH(QString, relative);
        const settings::LoadResult r = settings::loadSettings(m_dir->filePath(relative), sample());
        QCOMPARE(r.values, ParameterSettings{});
        QCOMPARE(r.values.field(u"GateWay"), QStringLiteral("0"));
        QCOMPARE(r.values.field(u"BaudRate"), u"0"_s);
        QVERIFY(r.message.isEmpty());
        QCOMPARE(settings::ReadSetting(m_dir->filePath(relative), QStringLiteral("IP")),
                 QStringLiteral("0"));
    }

    // Files as other editors and the platform's profile functions write them.
    void existingFilesLoad_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray lf = sampleFile;
        lf.replace("\r\n", "\n");
        QTest::newRow("CRLF") << sampleFile;
        QTest::newRow("LF") << lf;
        QTest::newRow("no final line end") << sampleFile.chopped(2);
        QByteArray spaced = sampleFile;
        spaced.replace("=", " = ").replace("[CFG]", "  [ CFG ]  ");
        QTest::newRow("spaces around names and =") << spaced;
        QTest::newRow("names in other case") << QByteArray(sampleFile)
                                                    .replace("[CFG]", "[cfg]")
                                                    .replace("GateWay=", "GATEWAY=")
                                                    .replace("MAC=", "mac=");
        QList<QByteArray> lines = sampleFile.split('\n');
        std::reverse(lines.begin() + 1, lines.end());
        const QByteArray reordered = lines.join('\n');
        QTest::newRow("keys in another order") << reordered;
        QTest::newRow("other sections around")
            << "[Other]\r\nModel=0\r\nMAC=x\r\n\r\n" + sampleFile + "\r\n[More]\r\nIP=1\r\n";
        QTest::newRow("first of duplicate keys wins") << sampleFile + "IP=9.9.9.9\r\n";
        QTest::newRow("first of duplicate sections wins")
            << sampleFile + "[CFG]\r\nModel=3\r\nMAC=y\r\n";
    }
    void existingFilesLoad() {
        QFETCH(QByteArray, bytes);
        writeAll(m_path, bytes);
        const settings::LoadResult r = settings::loadSettings(m_path, other());
        QCOMPARE(r.values, sample());
        QVERIFY2(r.message.isEmpty(), qPrintable(r.message));
    }

    // A key left out gets its default, as a file saved before the adapter
    // was remembered leaves every adapter searched.
    void fileLackingAKeyRestoresTheRest_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<ParameterSettings>("expected");
        ParameterSettings noMac = sample();
        noMac.setField(u"MAC", u"0"_s);
        ParameterSettings noAdapter = sample();
        noAdapter.Adapter.clear();
        QTest::newRow("MAC") << QByteArray("MAC=00:11:22:33:44:55\r\n") << noMac;
        QTest::newRow("adapter") << QByteArray("Adapter=eth0\r\n") << noAdapter;
    }
    void fileLackingAKeyRestoresTheRest() {
        QFETCH(QByteArray, line);
        QFETCH(ParameterSettings, expected);
        writeAll(m_path, QByteArray(sampleFile).replace(line, ""));
        const settings::LoadResult r = settings::loadSettings(m_path, other());
        QCOMPARE(r.values, expected);
        QVERIFY(r.message.isEmpty());
    }

    void gbkTextIsStoredAsGbkBytes() {
        ParameterSettings s = sample();
        s.setField(u"MAC", QStringLiteral("中文 设备"));
        QVERIFY(settings::saveSettings(m_path, s).ok);
        // 中 D6D0, 文 CEC4, 设 C9E8, 备 B1B8 in code page 936.
        QVERIFY(readAll(m_path).contains("\r\nMAC=\xD6\xD0\xCE\xC4 \xC9\xE8\xB1\xB8\r\n"));
        QCOMPARE(settings::loadSettings(m_path, other()).values, s);

        // And a GBK file written elsewhere reads back as the same text.
        writeAll(m_path, "[CFG]\r\nGateWay=\xC9\xE8\xB1\xB8\r\n");
        QCOMPARE(settings::ReadSetting(m_path, QStringLiteral("GateWay")), QStringLiteral("设备"));
    }

    // Notepad's "Unicode" and "UTF-8" files carry a byte-order mark; the
    // profile functions read them, so the tool must too, and a save must not
    // mix GBK bytes into them.
    void markedFilesLoadAndKeepTheirEncoding_data() {
        QTest::addColumn<Encoding>("encoding");
        QTest::newRow("GBK") << Encoding::Gbk;
        QTest::newRow("UTF-8 with mark") << Encoding::Utf8Bom;
        QTest::newRow("UTF-16LE with mark") << Encoding::Utf16LeBom;
        QTest::newRow("UTF-16BE with mark") << Encoding::Utf16BeBom;
    }
    void markedFilesLoadAndKeepTheirEncoding() {
        QFETCH(Encoding, encoding);
        ParameterSettings s = sample();
        s.setField(u"MAC", u"中文 设备"_s);
        const QString text =
            u"; 设置\r\n"_s +
            QString::fromLatin1(sampleFile).replace(sample().field(u"MAC"), s.field(u"MAC"));
        writeAll(m_path, encoded(text, encoding));
        const settings::LoadResult r = settings::loadSettings(m_path, other());
        QVERIFY2(r.message.isEmpty(), qPrintable(r.message));
        QCOMPARE(r.values, s);

        ParameterSettings changed = s;
        changed.setField(u"MAC", u"新设备"_s);
        QVERIFY(settings::saveSettings(m_path, changed).ok);
        QCOMPARE(readAll(m_path),
                 encoded(QString(text).replace(s.field(u"MAC"), changed.field(u"MAC")), encoding));
    }

    // A zero-width no-break space is text like any other once the file's own
    // mark is read: one that starts a line or a value stays where it is.
    void markInsideTheTextIsKept_data() {
        QTest::addColumn<Encoding>("encoding");
        QTest::newRow("UTF-8 with mark") << Encoding::Utf8Bom;
        QTest::newRow("UTF-16LE with mark") << Encoding::Utf16LeBom;
        QTest::newRow("UTF-16BE with mark") << Encoding::Utf16BeBom;
    }
    void markInsideTheTextIsKept() {
        QFETCH(Encoding, encoding);
        const QString text = u"\uFEFF[CFG]\r\nMAC=x\r\n[CFG]\r\nMAC=\uFEFFy\r\n"_s;
        writeAll(m_path, encoded(text, encoding));
        QCOMPARE(settings::ReadSetting(m_path, u"MAC"_s), u"\uFEFFy"_s);
        QVERIFY(settings::WriteSetting(m_path, u"MAC"_s, u"\uFEFFz"_s).ok);
        QCOMPARE(readAll(m_path), encoded(QString(text).replace(u"y"_s, u"z"_s), encoding));
    }

    // GetPrivateProfileString drops one pair of matching quotes; a value
    // that would lose characters that way is saved inside a pair of its own.
    void quotedValuesLoseOnePair_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("value");
        QTest::newRow("double") << QByteArray("\"255.255.255.0\"") << u"255.255.255.0"_s;
        QTest::newRow("single") << QByteArray("'10.0.0.1'") << u"10.0.0.1"_s;
        QTest::newRow("empty pair") << QByteArray("\"\"") << QString();
        QTest::newRow("only one pair") << QByteArray("\"\"a\"\"") << u"\"a\""_s;
        QTest::newRow("spaces inside kept") << QByteArray(" \" a \" ") << u" a "_s;
        QTest::newRow("not matching") << QByteArray("\"a'") << u"\"a'"_s;
        QTest::newRow("lone quote") << QByteArray("\"") << u"\""_s;
        QTest::newRow("inner quotes") << QByteArray("a\"b\"") << u"a\"b\""_s;
    }
    void quotedValuesLoseOnePair() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, value);
        writeAll(m_path, QByteArray(sampleFile).replace("255.255.255.0", stored));
        QCOMPARE(settings::loadSettings(m_path, other()).values.field(u"Mask"), value);

        // And whatever the field holds comes back from a save.
        ParameterSettings s = sample();
        s.setField(u"Mask", value);
        QVERIFY(settings::saveSettings(m_path, s).ok);
        QCOMPARE(settings::loadSettings(m_path, other()).values, s);
    }

    // A hand-edited index that is no number must not stop the rest of the
    // file from being restored, nor silently select the first item.
    void nonNumericIndexKeepsThatBoxOnly_data() {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("word") << QByteArray("BaudRate") << QByteArray("9600 baud");
        QTest::newRow("empty") << QByteArray("Model") << QByteArray("");
        QTest::newRow("fraction") << QByteArray("Parity") << QByteArray("1.5");
        QTest::newRow("hex") << QByteArray("DataBit") << QByteArray("0x1");
        QTest::newRow("too large") << QByteArray("StopBit") << QByteArray("99999999999");
    }
    void nonNumericIndexKeepsThatBoxOnly() {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, text);
        QByteArray bytes;
        for (const QByteArray &line : sampleFile.split('\n')) {
            if (line.startsWith(key + '='))
                bytes += key + '=' + text + "\r\n";
            else if (!line.isEmpty())
                bytes += line + '\n';
        }
        writeAll(m_path, bytes);

        const ParameterSettings current = other();
        const settings::LoadResult r = settings::loadSettings(m_path, current);
        const QString keyText = QString::fromLatin1(key);
        ParameterSettings expected = sample();
        expected.setField(keyText, current.field(keyText));
        QCOMPARE(r.values, expected);
        QCOMPARE(r.unreadableKeys, QStringList{keyText});
        QVERIFY(r.message.contains(keyText));
        QVERIFY(r.message.contains(QDir::toNativeSeparators(m_path)));
    }

    void indexesOutsideTheListAreGivenToTheWindow() {
        writeAll(m_path, "[CFG]\r\nModel=-1\r\nBaudRate=99\r\nParity= 2 \r\n");
        const settings::LoadResult r = settings::loadSettings(m_path, other());
        QCOMPARE(r.values.field(u"Model"), u"-1"_s);
        QCOMPARE(r.values.field(u"BaudRate"), u"99"_s);
        QCOMPARE(r.values.field(u"Parity"), u"2"_s);
        QVERIFY(r.unreadableKeys.isEmpty());
    }

    void saveKeepsOtherSectionsAndKeys() {
        writeAll(m_path, "; written by hand\n"
                         "[Other]\n"
                         "Model=7\n"
                         "\n"
                         "[cfg]\n"
                         "Extra = kept\n"
                         "model=0\n"
                         "\n"
                         "[Last]\n"
                         "MAC=mine");
        QVERIFY(settings::saveSettings(m_path, sample()).ok);
        QCOMPARE(readAll(m_path), QByteArray("; written by hand\r\n"
                                             "[Other]\r\n"
                                             "Model=7\r\n"
                                             "\r\n"
                                             "[cfg]\r\n"
                                             "Extra = kept\r\n"
                                             "Model=2\r\n" +
                                             sampleFile.sliced(sampleFile.indexOf("GateWay")) +
                                             "\r\n"
                                             "[Last]\r\n"
                                             "MAC=mine\r\n"));
        QCOMPARE(settings::loadSettings(m_path, other()).values, sample());
    }

    void writeSettingCreatesFileAndSection() {
        QVERIFY(settings::WriteSetting(m_path, QStringLiteral("IP"), QStringLiteral("1.2.3.4")).ok);
        QCOMPARE(readAll(m_path), QByteArray("[CFG]\r\nIP=1.2.3.4\r\n"));
        QVERIFY(settings::WriteSetting(m_path, QStringLiteral("Port"), QStringLiteral("7")).ok);
        QCOMPARE(readAll(m_path), QByteArray("[CFG]\r\nIP=1.2.3.4\r\nPort=7\r\n"));
        QCOMPARE(settings::ReadSetting(m_path, QStringLiteral("port")), QStringLiteral("7"));
        QCOMPARE(settings::ReadSetting(m_path, QStringLiteral("Mask")), QStringLiteral("0"));

        writeAll(m_path, "[Other]\r\nA=1\r\n");
        QVERIFY(settings::WriteSetting(m_path, QStringLiteral("IP"), QStringLiteral("5")).ok);
        QCOMPARE(readAll(m_path), QByteArray("[Other]\r\nA=1\r\n[CFG]\r\nIP=5\r\n"));
    }

    // The file cannot be created where the folder is a regular file or where
    // even root may not create files; the user must learn which file failed.
    void saveToUnwritablePlaceIsReported_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("folder is a file") << QStringLiteral("blocker/CFG.ini");
#ifdef Q_OS_LINUX
        QTest::newRow("proc") << QStringLiteral("/proc/CFG.ini");
#endif
    }
    void saveToUnwritablePlaceIsReported() {
        QFETCH(QString, path);
        writeAll(m_dir->filePath(QStringLiteral("blocker")), "not a folder");
        const QString target = QDir::isAbsolutePath(path) ? path : m_dir->filePath(path);

        const settings::SaveResult r = settings::saveSettings(target, sample());
        QVERIFY(!r.ok);
        QVERIFY2(r.message.contains(QDir::toNativeSeparators(target)), qPrintable(r.message));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(readAll(m_dir->filePath(QStringLiteral("blocker"))), QByteArray("not a folder"));
    }

    // Something that is not a readable settings file where CFG.ini should
    // be: restoring must not pretend the file was missing or empty, nor wait
    // on a FIFO for a writer; saving must not clobber it.
    void unreadableFileIsReportedNotReplaced_data() {
        QTest::addColumn<QByteArray>("bytes"); // null: a folder, "fifo": a FIFO
        const QString text = QString::fromLatin1(sampleFile);
        QTest::newRow("folder") << QByteArray();
#ifdef Q_OS_UNIX
        QTest::newRow("FIFO") << QByteArray("fifo");
#endif
        QTest::newRow("UTF-16 without mark") << encoded(text, Encoding::Utf16LeNoBom);
        QTest::newRow("UTF-16 odd length") << encoded(text, Encoding::Utf16LeBom) + 'x';
        QTest::newRow("UTF-16 lone surrogate")
            << encoded(text, Encoding::Utf16BeBom) + QByteArray("\xD8\x00\x00\r\x00\n", 6);
        QTest::newRow("UTF-8 invalid byte") << encoded(text, Encoding::Utf8Bom) + "\xFF\r\n";
    }
    void unreadableFileIsReportedNotReplaced() {
        QFETCH(QByteArray, bytes);
        const bool fifo = bytes == "fifo";
        [[maybe_unused]] int fifoHeld = -1;
        if (bytes.isNull()) {
            QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("CFG.ini")));
        } else if (fifo) {
#ifdef Q_OS_UNIX
            // Held open here, so that a reader that opens it anyway gets an
            // empty text instead of waiting for ever.
            QCOMPARE(mkfifo(QFile::encodeName(m_path).constData(), 0644), 0);
            fifoHeld = open(QFile::encodeName(m_path).constData(), O_RDWR | O_NONBLOCK);
            QVERIFY(fifoHeld >= 0);
#endif
        } else {
            writeAll(m_path, bytes);
        }
        const settings::LoadResult load = settings::loadSettings(m_path, other());
        QCOMPARE(load.values, other());
        QVERIFY2(load.message.contains(QDir::toNativeSeparators(m_path)), qPrintable(load.message));
        const settings::SaveResult save = settings::saveSettings(m_path, sample());
        QVERIFY(!save.ok);
        QVERIFY(save.message.contains(QDir::toNativeSeparators(m_path)));
        if (bytes.isNull())
            QVERIFY(QFileInfo(m_path).isDir());
#ifdef Q_OS_UNIX
        else if (fifo)
            QVERIFY(!QFileInfo(m_path).isFile() && QFileInfo(m_path).exists());
#endif
        else
            QCOMPARE(readAll(m_path), bytes);
#ifdef Q_OS_UNIX
        if (fifoHeld >= 0)
            close(fifoHeld);
#endif
    }

    void lineBreakInValueIsRefused() {
        writeAll(m_path, sampleFile);
        ParameterSettings s = other();
        s.setField(u"DIP", QStringLiteral("1\r\n[Evil]"));
        const settings::SaveResult r = settings::saveSettings(m_path, s);
        QVERIFY(!r.ok);
        QVERIFY(r.message.contains(QStringLiteral("DIP")));
        QCOMPARE(readAll(m_path), sampleFile);
    }

#ifdef Q_OS_UNIX
    // The disk fills up while the new text is being written: the write fails
    // part-way, and the previous file must still be there in full, with no
    // temporary file left beside it.
    void failureMidSaveKeepsThePreviousFile() {
        writeAll(m_path, sampleFile);
        ParameterSettings big = other();
        big.setField(u"MAC", QString(4000, QLatin1Char('x')));
        const settings::SaveResult r = saveWithFileSizeLimit(m_path, big, 1000);
        QVERIFY(!r.ok);
        QVERIFY(r.message.contains(QDir::toNativeSeparators(m_path)));
        QCOMPARE(readAll(m_path), sampleFile);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("CFG.ini")});
    }

    // A user who may write CFG.ini but not create files in its folder: the
    // save cannot go through a temporary file, so it writes the file itself,
    // after keeping a copy of the previous text in the user's own folder; a
    // write that fails part-way puts the previous text back and names the
    // copy, and without a copy nothing is written.
    void fileInClosedFolderIsWrittenInPlace_data() {
        QTest::addColumn<int>("macLength");
        QTest::addColumn<bool>("userFolderOpen");
        QTest::addColumn<bool>("fits");
        QTest::newRow("fits") << 17 << true << true;
        QTest::newRow("disk fills") << 4000 << true << false;
        QTest::newRow("no copy can be kept") << 17 << false << false;
    }
    void fileInClosedFolderIsWrittenInPlace() {
        QFETCH(int, macLength);
        QFETCH(bool, userFolderOpen);
        QFETCH(bool, fits);
        const QString program = m_dir->filePath(QStringLiteral("program"));
        const QString home = m_dir->filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(program) && QDir().mkpath(home));
        const QString path = QDir(program).filePath(QStringLiteral("CFG.ini"));
        const QString copy = home + QStringLiteral("/.config/ostrel/CFG-previous.ini");
        writeAll(path, sampleFile);
        ParameterSettings values = other();
        values.setField(u"MAC", QString(macLength, QLatin1Char('x')));
        QCOMPARE(chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
        QCOMPARE(chmod(QFile::encodeName(home).constData(), userFolderOpen ? 0777 : 0555), 0);
        QCOMPARE(chmod(QFile::encodeName(path).constData(), 0666), 0);
        QCOMPARE(chmod(QFile::encodeName(program).constData(), 0555), 0);
        const HomeFolder user(home);
        // Root would ignore the folders' modes, so it saves as another user.
        const bool root = geteuid() == 0;
        if (root)
            QCOMPARE(seteuid(65534), 0);
        const settings::SaveResult r = saveWithFileSizeLimit(path, values, 1000);
        if (root)
            QCOMPARE(seteuid(0), 0);
        QCOMPARE(chmod(QFile::encodeName(program).constData(), 0700), 0);

        QVERIFY2(r.ok == fits, qPrintable(r.message));
        QCOMPARE(QDir(program).entryList(QDir::Files), QStringList{QStringLiteral("CFG.ini")});
        if (fits) {
            QCOMPARE(settings::loadSettings(path, sample()).values, values);
            QVERIFY(!QFile::exists(copy));
            return;
        }
        QVERIFY(r.message.contains(QDir::toNativeSeparators(path)));
        QCOMPARE(readAll(path), sampleFile);
        if (userFolderOpen) {
            QVERIFY2(r.message.contains(QDir::toNativeSeparators(copy)), qPrintable(r.message));
            QCOMPARE(readAll(copy), sampleFile);
        }
    }

    // The user's own folder, where the file goes when the program's folder
    // is closed: with HOME unset it is still a real folder of the user's
    // (never "//.config"), and a home the user may not write is reported as
    // such, not as a missing file.
    void userFolderIsReal() {
        const QString program = m_dir->filePath(QStringLiteral("installed/bin"));
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("installed/share/applications"))));
        QVERIFY(QDir().mkpath(program));
        writeAll(m_dir->filePath(
                     QStringLiteral("installed/share/applications/" OSTREL_APP_ID ".desktop")),
                 "");
        {
            const HomeFolder unset({});
            const QString path = settings::filePathFor(program);
            QCOMPARE(QDir::cleanPath(path), path);
            QString existing = QFileInfo(path).absolutePath();
            while (!QFileInfo(existing).isDir())
                existing = QFileInfo(existing).absolutePath();
            QVERIFY2(!QDir(existing).isRoot(), qPrintable(path));
        }
        const QString home = m_dir->filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home));
        QCOMPARE(chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
        QCOMPARE(chmod(QFile::encodeName(home).constData(), 0555), 0);
        const HomeFolder closed(home);
        const QString path = settings::filePathFor(program);
        QVERIFY2(path.startsWith(home), qPrintable(path));
        const bool root = geteuid() == 0;
        if (root)
            QCOMPARE(seteuid(65534), 0);
        const settings::SaveResult r = settings::saveSettings(path, sample());
        if (root)
            QCOMPARE(seteuid(0), 0);
        QVERIFY(!r.ok);
        QVERIFY2(r.message.contains(QString::fromLocal8Bit(strerror(EACCES))),
                 qPrintable(r.message));
    }
#endif
};

QTEST_GUILESS_MAIN(TstSettings)
#include "tst_settings.moc"
