// The settings file: its format, what survives a save, and what a failed or
// interrupted save leaves behind.
#include "gbk.h"
#include "inifile.h"
#include "settings.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

using namespace Qt::StringLiterals;

ParameterSettings sample() {
    return {.Model = 2,
            .GateWay = u"10.0.0.1"_s,
            .Mask = u"255.255.255.0"_s,
            .IP = u"10.0.0.7"_s,
            .DIP = u"10.0.0.100"_s,
            .Port = u"5001"_s,
            .DPort = u"6001"_s,
            .BaudRate = 6,
            .DataBit = 1,
            .StopBit = 3,
            .Parity = 2,
            .MAC = u"00:11:22:33:44:55"_s};
}

// Differs from sample() in every member.
ParameterSettings other() {
    return {1, u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, 12, 0, 1, 1, u"g"_s};
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
                              "MAC=00:11:22:33:44:55\r\n";

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

} // namespace

namespace QTest {
template <> char *toString(const ParameterSettings &s) {
    const QString text = QStringLiteral("{%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12}")
                             .arg(s.Model)
                             .arg(s.GateWay, s.Mask, s.IP, s.DIP, s.Port, s.DPort)
                             .arg(s.BaudRate)
                             .arg(s.DataBit)
                             .arg(s.StopBit)
                             .arg(s.Parity)
                             .arg(s.MAC);
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
        QCOMPARE(readAll(m_path).count("\r\n"), 13);
    }

    void noSelectionIsStoredAsMinusOne() {
        ParameterSettings s = sample();
        s.Model = -1;
        QVERIFY(settings::saveSettings(m_path, s).ok);
        QVERIFY(readAll(m_path).contains("\r\nModel=-1\r\n"));
        QCOMPARE(settings::loadSettings(m_path, other()).values.Model, -1);
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
        QCOMPARE(r.values.GateWay, QStringLiteral("0"));
        QCOMPARE(r.values.BaudRate, 0);
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

    void fileLackingOnlyMacRestoresTheRest() {
        QByteArray bytes = sampleFile;
        bytes.replace("MAC=00:11:22:33:44:55\r\n", "");
        writeAll(m_path, bytes);
        const settings::LoadResult r = settings::loadSettings(m_path, other());
        ParameterSettings expected = sample();
        expected.MAC = QStringLiteral("0");
        QCOMPARE(r.values, expected);
        QVERIFY(r.message.isEmpty());
    }

    void gbkTextIsStoredAsGbkBytes() {
        ParameterSettings s = sample();
        s.MAC = QStringLiteral("中文 设备");
        QVERIFY(settings::saveSettings(m_path, s).ok);
        // 中 D6D0, 文 CEC4, 设 C9E8, 备 B1B8 in code page 936.
        QVERIFY(readAll(m_path).endsWith("MAC=\xD6\xD0\xCE\xC4 \xC9\xE8\xB1\xB8\r\n"));
        QCOMPARE(settings::loadSettings(m_path, other()).values, s);

        // And a GBK file written elsewhere reads back as the same text.
        writeAll(m_path, "[CFG]\r\nGateWay=\xC9\xE8\xB1\xB8\r\n");
        QCOMPARE(settings::ReadSetting(m_path, QStringLiteral("GateWay")), QStringLiteral("设备"));
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
        using P = ParameterSettings;
        static const QHash<QByteArray, int P::*> boxes = {{"Model", &P::Model},
                                                          {"BaudRate", &P::BaudRate},
                                                          {"DataBit", &P::DataBit},
                                                          {"StopBit", &P::StopBit},
                                                          {"Parity", &P::Parity}};
        ParameterSettings expected = sample();
        expected.*boxes.value(key) = current.*boxes.value(key);
        const QString keyText = QString::fromLatin1(key);
        QCOMPARE(r.values, expected);
        QCOMPARE(r.unreadableKeys, QStringList{keyText});
        QVERIFY(r.message.contains(keyText));
        QVERIFY(r.message.contains(QDir::toNativeSeparators(m_path)));
    }

    void indexesOutsideTheListAreGivenToTheWindow() {
        writeAll(m_path, "[CFG]\r\nModel=-1\r\nBaudRate=99\r\nParity= 2 \r\n");
        const settings::LoadResult r = settings::loadSettings(m_path, other());
        QCOMPARE(r.values.Model, -1);
        QCOMPARE(r.values.BaudRate, 99);
        QCOMPARE(r.values.Parity, 2);
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

    // Something that is not a readable file where CFG.ini should be: restoring
    // must not pretend the file was missing, saving must not clobber it.
    void unreadableFileIsReportedNotReplaced() {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("CFG.ini")));
        const settings::LoadResult load = settings::loadSettings(m_path, sample());
        QCOMPARE(load.values, sample());
        QVERIFY(load.message.contains(QDir::toNativeSeparators(m_path)));
        const settings::SaveResult save = settings::saveSettings(m_path, sample());
        QVERIFY(!save.ok);
        QVERIFY(save.message.contains(QDir::toNativeSeparators(m_path)));
        QVERIFY(QFileInfo(m_path).isDir());
    }

    void lineBreakInValueIsRefused() {
        writeAll(m_path, sampleFile);
        ParameterSettings s = other();
        s.DIP = QStringLiteral("1\r\n[Evil]");
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
        big.MAC = QString(4000, QLatin1Char('x'));

        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto *oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const settings::SaveResult r = settings::saveSettings(m_path, big);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!r.ok);
        QVERIFY(r.message.contains(QDir::toNativeSeparators(m_path)));
        QCOMPARE(readAll(m_path), sampleFile);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("CFG.ini")});
    }
#endif
};

QTEST_GUILESS_MAIN(TstSettings)
#include "tst_settings.moc"
