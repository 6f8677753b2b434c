#include "language.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

using language::Choice;

class TestLanguage : public QObject {
    Q_OBJECT

private slots:
    void resolvesTheSystemLocale_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<Choice>("cLocale");
        QTest::addColumn<Choice>("expected");
        QTest::newRow("zh_CN") << QByteArray("zh_CN") << Choice::Source << Choice::Chinese;
        QTest::newRow("zh_TW") << QByteArray("zh_TW") << Choice::English << Choice::Chinese;
        QTest::newRow("en_US") << QByteArray("en_US") << Choice::Source << Choice::English;
        QTest::newRow("de_DE") << QByteArray("de_DE") << Choice::Source << Choice::English;
        QTest::newRow("C, window") << QByteArray("C") << Choice::Source << Choice::Source;
        QTest::newRow("C, cli") << QByteArray("C") << Choice::English << Choice::English;
    }
    void resolvesTheSystemLocale() {
        QFETCH(QByteArray, locale);
        QFETCH(Choice, cLocale);
        QFETCH(Choice, expected);
        QCOMPARE(language::resolve(Choice::System, QLocale(QString::fromLatin1(locale)), cLocale),
                 expected);
        // A choice made by the user stands under any locale.
        QCOMPARE(language::resolve(Choice::English, QLocale(QString::fromLatin1(locale)), cLocale),
                 Choice::English);
    }

    void readsTheCommandLine_data() {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<int>("expected"); // -1: none, -2: error
        QTest::newRow("absent") << QByteArrayList{"read", "all"} << -1;
        QTest::newRow("separate") << QByteArrayList{"--lang", "zh_CN"} << int(Choice::Chinese);
        QTest::newRow("joined") << QByteArrayList{"--lang=source"} << int(Choice::Source);
        QTest::newRow("last wins")
            << QByteArrayList{"--lang=en", "--lang", "system"} << int(Choice::System);
        QTest::newRow("unknown") << QByteArrayList{"--lang=fr"} << -2;
        QTest::newRow("missing value") << QByteArrayList{"--lang"} << -1;
        QTest::newRow("after --") << QByteArrayList{"--", "--lang=en"} << -1;
    }
    void readsTheCommandLine() {
        QFETCH(QByteArrayList, arguments);
        QFETCH(int, expected);
        QByteArrayList bytes{"prog"};
        bytes += arguments;
        std::vector<char *> argv;
        for (QByteArray &b : bytes)
            argv.push_back(b.data());
        QString error;
        const auto found = language::fromArguments(int(argv.size()), argv.data(), &error);
        QCOMPARE(found ? int(*found) : (error.isEmpty() ? -1 : -2), expected);
    }

    // The translations are resources of the program, not files beside it.
    void translationsTravelInsideTheProgram() {
        for (const Choice choice : {Choice::English, Choice::Chinese}) {
            QCOMPARE(language::apply(*QCoreApplication::instance(), choice, Choice::Source),
                     choice);
            QVERIFY2(
                QFile::exists(QStringLiteral(":/i18n/ostrel_%1.qm").arg(language::code(choice))),
                qPrintable(language::code(choice)));
        }
        QCOMPARE(language::apply(*QCoreApplication::instance(), Choice::Source, Choice::Source),
                 Choice::Source);
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
