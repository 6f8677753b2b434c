// Two real copies of the program: the second is refused with the notice and
// exit code 0 while the first keeps running; the guard dies with its holder.
// Whatever the command line holds, the program ends with exit code 0 too.
#include "buildinfo.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TstSingleInstance : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_runtimeDir;

    // A copy of the program with a private runtime folder, so a copy the
    // developer has open does not take part.
    void setUp(QProcess &process, int quitAfterMs, const QString &language = u"source"_s) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, m_runtimeDir.path());
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        process.setProcessEnvironment(env);
        process.setProgram(QStringLiteral(OSTREL_EXE));
        // The texts as written unless asked otherwise, whatever the locale or
        // a language kept in the settings file.
        process.setArguments(
            {u"--lang"_s, language, u"--quit-after"_s, QString::number(quitAfterMs)});
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }

    static bool waitForLine(QProcess &process, const QByteArray &line, int timeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        QByteArray seen;
        while (!deadline.hasExpired()) {
            seen += process.readAllStandardOutput();
            if (seen.contains(line))
                return true;
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(100);
        }
        return false;
    }

private slots:
    void initTestCase() { QVERIFY(m_runtimeDir.isValid()); }

    void secondCopyIsRefused() {
        QProcess first;
        setUp(first, 120000);
        first.start();
        QVERIFY(first.waitForStarted());
        QVERIFY2(waitForLine(first, "ostrel: running", 60000), "first copy did not come up");

        QProcess second;
        setUp(second, 1000);
        second.start();
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        // The program writes in the system's 8-bit code page (936 on a Chinese
        // Windows, UTF-8 on Linux).
        const QString out = QString::fromLocal8Bit(second.readAllStandardOutput());
        // It showed the notice and never opened a window.
        QVERIFY2(out.contains(u"ostrel: message box \"Brenmoor\": 程序已经运行!"_s),
                 qPrintable(out));
        QVERIFY2(!out.contains(u"ostrel: running"_s), qPrintable(out));

        // In English the notice has no Chinese left.
        QProcess english;
        setUp(english, 1000, u"en"_s);
        english.start();
        QVERIFY(english.waitForFinished(60000));
        const QString englishOut = QString::fromLocal8Bit(english.readAllStandardOutput());
        QVERIFY2(englishOut.contains(u"ostrel: message box \"Brenmoor\": "_s),
                 qPrintable(englishOut));
        QVERIFY2(!englishOut.contains(QRegularExpression(u"\\p{Han}"_s)), qPrintable(englishOut));

        // The first copy is undisturbed.
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(!first.waitForFinished(300));
        QCOMPARE(first.state(), QProcess::Running);

        // However the holder ends, the next start succeeds.
        first.kill();
        QVERIFY(first.waitForFinished(10000));

        QProcess third;
        setUp(third, 500);
        third.start();
        QVERIFY(third.waitForFinished(60000));
        QCOMPARE(third.exitStatus(), QProcess::NormalExit);
        QCOMPARE(third.exitCode(), 0);
        QVERIFY(third.readAllStandardOutput().contains("ostrel: running"));
    }

    void badQuitAfterIsRejected() {
        QProcess process;
        setUp(process, 0);
        process.setArguments({u"--quit-after"_s, u"soon"_s});
        process.start();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 2);
    }

    // A mistaken command line is reported with the usage on standard error
    // and the window never opens; help and version need no display at all.
    void commandLineEndsWithZero_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("display");
        QTest::addColumn<QString>("expectedOut");
        QTest::addColumn<QString>("expectedErr");
        QTest::newRow("unknown option")
            << QStringList{u"--quit-after"_s, u"500"_s, u"--no-such-option"_s} << true << QString()
            << u"no-such-option"_s;
        QTest::newRow("value missing")
            << QStringList{u"--screenshot"_s} << true << QString() << u"--quit-after <ms>"_s;
        QTest::newRow("help") << QStringList{u"--help"_s} << false << u"--quit-after <ms>"_s
                              << QString();
        QTest::newRow("version") << QStringList{u"--version"_s} << false
                                 << u"ostrel " OSTREL_VERSION ""_s << QString();
    }
    void commandLineEndsWithZero() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, display);
        QFETCH(QString, expectedOut);
        QFETCH(QString, expectedErr);
        QProcess process;
        setUp(process, 0);
        if (!display) {
            QProcessEnvironment env = process.processEnvironment();
            for (const QString &name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
                env.remove(name);
            process.setProcessEnvironment(env);
        }
        process.setArguments(arguments);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start();
        QVERIFY(process.waitForFinished(60000));
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 0, qPrintable(err));
        QVERIFY2(out.contains(expectedOut), qPrintable(out));
        QVERIFY2(err.contains(expectedErr), qPrintable(err));
        QVERIFY2(!out.split(u'\n').contains(u"ostrel: running"_s), qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TstSingleInstance)
#include "tst_singleinstance.moc"
