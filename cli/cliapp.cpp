#include "cliapp.h"
#include "words.h"

#include "buildinfo.h"
#include "command.h"
#include "interrupts.h"
#include "language.h"

#include "networkadapter.h"

#include <QBuffer>
#include <QEventLoop>
#include <QIODevice>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

const QString Program = u"ostrel-cli"_s;

class NoAdapters final : public AdapterSource {
public:
    QList<NetworkAdapter> adapters() const override { return {}; }
};

// Within the bounds, or none.
std::optional<int> numberIn(const QString &text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= low && value <= high ? std::optional(value) : std::nullopt;
}

struct CommonOptionSet {
    QCommandLineOption json{u"json"_s, Words::tr("Print one JSON document on standard output.")};
    QCommandLineOption quiet{{u"q"_s, u"quiet"_s},
                             Words::tr("Print nothing but errors (and the document of --json).")};
    QCommandLineOption timeout{u"timeout"_s, Words::tr("Give up after <MS> milliseconds."),
                               u"MS"_s};
    QCommandLineOption adapter{
        u"adapter"_s,
        Words::tr("Use only the network adapter with that name or address (see 'adapters')."),
        u"NAME|ADDRESS"_s};
    QCommandLineOption rate{
        u"rate"_s,
        Words::tr("Send at most <N> frames per second (default %1, at least %2); every frame is a "
                  "broadcast that every module on the segment receives.")
            .arg(ModuleBatch::DefaultRate)
            .arg(ModuleBatch::MinRate),
        u"N"_s};
    QCommandLineOption dryRun{u"dry-run"_s,
                              Words::tr("Print what would be sent, and send nothing.")};
    QCommandLineOption parallel{
        u"parallel"_s,
        Words::tr(
            "Talk to at most <N> modules at once (default %1, at most a tenth of the rate), each "
            "at the window's pace.")
            .arg(ModuleBatch::DefaultInFlight),
        u"N"_s};

    QCommandLineOption yes{
        {u"y"_s, u"yes"_s},
        Words::tr("Change every module (all) without asking; needed where standard "
                  "input is not a terminal.")};

    QList<std::pair<int, const QCommandLineOption *>> all() const {
        return {{JsonOption, &json},         {QuietOption, &quiet}, {TimeoutOption, &timeout},
                {AdapterOption, &adapter},   {RateOption, &rate},   {DryRunOption, &dryRun},
                {ParallelOption, &parallel}, {YesOption, &yes}};
    }
};

// Optimal string alignment distance: "serach" is one step from "search".
qsizetype editDistance(QStringView a, QStringView b) {
    QList<QList<qsizetype>> d(a.size() + 1, QList<qsizetype>(b.size() + 1));
    for (qsizetype i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (qsizetype j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

// "--name VALUE" or "-n, --name VALUE".
QString optionSyntax(const QCommandLineOption &option) {
    QStringList names;
    for (const QString &name : option.names())
        names.append((name.size() == 1 ? u"-"_s : u"--"_s) + name);
    QString text = names.join(u", "_s);
    if (!option.valueName().isEmpty())
        text += u' ' + option.valueName();
    return text;
}

constexpr qsizetype Width = 79;

// Where a line may break within a word: nowhere in a run of narrow
// characters, anywhere around a wide one (Chinese has no spaces), except
// before the punctuation that closes a phrase.
QStringList pieces(const QString &word) {
    static const QString closing = u"，。、；：！？）》」』”"_s;
    QStringList parts;
    bool lastWide = true;
    for (const char32_t c : word.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        const bool wide = displayWidth(character) > 1;
        if (!parts.isEmpty() && closing.contains(character))
            parts.last() += character;
        else if (wide || lastWide)
            parts.append(character);
        else
            parts.last() += character;
        lastWide = wide;
    }
    return parts;
}

// Words after a start of indent columns, each line within a terminal of 80.
QString wrappedFrom(qsizetype indent, const QString &text) {
    QString wrapped;
    qsizetype column = indent;
    bool first = true;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        bool wordStarts = true;
        for (const QString &piece : pieces(word)) {
            const qsizetype width = displayWidth(piece);
            const bool space = wordStarts && !first;
            if (!first && column + (space ? 1 : 0) + width > Width) {
                wrapped += u'\n' + QString(indent, u' ');
                column = indent;
            } else if (space) {
                wrapped += u' ';
                ++column;
            }
            wrapped += piece;
            column += width;
            first = false;
            wordStarts = false;
        }
    }
    return wrapped;
}

// Each line of the text wrapped on its own; a line that starts with spaces
// is kept as it is (a table).
QString wrapped(const QString &text) {
    QString result;
    for (const QString &line : text.split(u'\n')) {
        result += line.startsWith(u' ') ? line : wrappedFrom(0, line);
        result += u'\n';
    }
    return text.endsWith(u'\n') ? result.chopped(1) : result;
}

// Two columns, the second wrapped to a terminal of 80.
QString columns(const QList<std::pair<QString, QString>> &rows) {
    constexpr qsizetype Indent = 26;
    QString text;
    for (const auto &[left, right] : rows) {
        QString line = u"  "_s + left;
        line = line.size() + 1 > Indent ? line + u'\n' + QString(Indent, u' ')
                                        : line.leftJustified(Indent);
        text += line + wrappedFrom(Indent, right) + u'\n';
    }
    return text;
}

// Made when asked for: its words are those of the language in force.
QCommandLineOption helpOption() {
    return {{u"h"_s, u"help"_s}, Words::tr("Displays this help.")};
}

// Taken by every command, and before the command's name too; it is read
// before anything is said (run()), so the parser only has to let it pass.
QCommandLineOption langOption() {
    return {u"lang"_s,
            Words::tr("Speak <LANG>: %1 (default: the system's locale; English unless it is "
                      "Chinese)")
                .arg(language::codeList()),
            u"LANG"_s};
}

class Application {
public:
    explicit Application(const Environment &environment)
        : m_environment(environment)
        , m_output(environment.out, environment.err, environment.errIsTerminal) {
        m_commands = configurationCommands();
        for (auto &command : workingModeCommands())
            m_commands.push_back(std::move(command));
    }

    // languageError: --lang named no language.
    int run(const QStringList &arguments, const QString &languageError);
    QList<CommandInfo> catalogue() const;

private:
    int dispatch(const QStringList &arguments);
    Command *find(const QString &name) const {
        const auto it =
            std::ranges::find_if(m_commands, [&](const auto &c) { return c->name() == name; });
        return it == m_commands.end() ? nullptr : it->get();
    }
    qsizetype commandIndex(const QStringList &arguments) const;
    void prepare(QCommandLineParser &parser, const Command &command) const;
    int runCommand(Command &command, const QStringList &arguments);
    int usageError(const QString &command, const QString &message) {
        m_output.usageError(command, message, m_jsonWanted);
        return UsageError;
    }
    void print(const QString &text) { m_output.print(text); }
    QString generalHelp() const;
    QString commandHelp(const CommandInfo &command) const;
    CommandInfo info(const Command &command) const;
    QString unknownCommand(const QString &name) const;
    bool ask(const QString &question, Interrupts *interrupts, const std::function<void()> &rearm);

    const Environment &m_environment;
    Output m_output;
    CommonOptionSet m_common;
    std::vector<std::unique_ptr<Command>> m_commands;
    bool m_jsonWanted = false;
};

// The first word that is neither an option nor an option's value.
qsizetype Application::commandIndex(const QStringList &arguments) const {
    QStringList valueOptions;
    for (const auto &[flag, option] : m_common.all()) {
        if (!option->valueName().isEmpty())
            valueOptions.append(option->names());
    }
    valueOptions.append(langOption().names());
    for (const auto &command : m_commands) {
        for (const QCommandLineOption &option : command->options()) {
            if (!option.valueName().isEmpty())
                valueOptions.append(option.names());
        }
    }
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &word = arguments[i];
        if (word == u"--"_s)
            return i + 1 < arguments.size() ? i + 1 : -1;
        if (!word.startsWith(u'-') || word == u"-"_s)
            return i;
        const QString name = word.sliced(word.startsWith(u"--"_s) ? 2 : 1);
        if (!name.contains(u'=') && valueOptions.contains(name))
            ++i;
    }
    return -1;
}

void Application::prepare(QCommandLineParser &parser, const Command &command) const {
    parser.addOption(helpOption());
    parser.addOption(langOption());
    parser.addOption({u"help-all"_s, Words::tr("Displays this help.")});
    for (const auto &[flag, option] : m_common.all()) {
        if (command.commonOptions() & flag)
            parser.addOption(*option);
    }
    parser.addOptions(command.options());
}

CommandInfo Application::info(const Command &command) const {
    CommandInfo info{command.name(),    command.summary(),   command.usage(),
                     command.details(), command.arguments(), command.options()};
    for (const auto &[flag, option] : m_common.all()) {
        if (command.commonOptions() & flag)
            info.options.append(*option);
    }
    info.options.append(langOption());
    info.options.append(helpOption());
    return info;
}

QList<CommandInfo> Application::catalogue() const {
    QList<CommandInfo> list;
    for (const auto &command : m_commands)
        list.append(info(*command));
    list.append(
        {u"help"_s,
         Words::tr("Lists the commands, or with a command's name prints that command's help."),
         u"[COMMAND]"_s,
         {},
         {{u"COMMAND"_s, Words::tr("The command to print the help of."), u"[COMMAND]"_s}},
         {langOption()}});
    return list;
}

QString Application::commandHelp(const CommandInfo &command) const {
    QString text =
        Words::tr("Usage: %1 %2%3\n\n%4")
            .arg(Program, command.name, command.usage.isEmpty() ? QString() : u' ' + command.usage,
                 wrapped(command.summary));
    if (!command.arguments.isEmpty()) {
        QList<std::pair<QString, QString>> rows;
        for (const Argument &argument : command.arguments)
            rows.append({argument.syntax, argument.description});
        text += Words::tr("\nArguments:\n") + columns(rows);
    }
    if (!command.options.isEmpty()) {
        QList<std::pair<QString, QString>> rows;
        for (const QCommandLineOption &option : command.options)
            rows.append({optionSyntax(option), option.description()});
        text += Words::tr("\nOptions:\n") + columns(rows);
    }
    if (!command.details.isEmpty())
        text += u'\n' + wrapped(command.details);
    return text;
}

// With the command a slip of the fingers away, if there is one.
QString Application::unknownCommand(const QString &name) const {
    QString closest;
    qsizetype best = 3; // more edits than that make another word
    for (const CommandInfo &command : catalogue()) {
        const qsizetype distance = editDistance(name.toLower(), command.name);
        if (distance < best && distance < command.name.size()) {
            best = distance;
            closest = command.name;
        }
    }
    QString text = Words::tr("no command \"%1\"").arg(name);
    if (!closest.isEmpty())
        text += Words::tr("; did you mean \"%1\"?").arg(closest);
    return text;
}

QString Application::generalHelp() const {
    QString text =
        wrapped(Words::tr("Usage: %1 COMMAND [options] [arguments]\n\n"
                          "Finds, reads, configures and switches networked relay modules "
                          "from a terminal or a script.\n\nCommands:\n")
                    .arg(Program));
    QList<std::pair<QString, QString>> rows;
    for (const CommandInfo &command : catalogue())
        rows.append({command.name, command.summary});
    text += columns(rows);
    rows.clear();
    for (const auto &[flag, option] : m_common.all())
        rows.append({optionSyntax(*option), option->description()});
    rows.append({optionSyntax(langOption()), langOption().description()});
    rows.append({u"-h, --help"_s, Words::tr("Displays help; with a command, that command's.")});
    rows.append({u"-v, -V, --version"_s, Words::tr("Displays version information.")});
    text += Words::tr("\nOptions:\n") + columns(rows);
    text +=
        wrapped(Words::tr("\n'%1 help COMMAND' tells which of the options a command takes; "
                          "'man %1-COMMAND' says more.\n\n"
                          "Exit codes: 0 all done, 1 some module failed (or standard output could "
                          "not be written), 2 usage error, 3 nothing found or the network failed, "
                          "130 and 143 interrupted by SIGINT and SIGTERM.\n")
                    .arg(Program));
    return text;
}

int Application::run(const QStringList &arguments, const QString &languageError) {
    const qsizetype end = arguments.indexOf(u"--"_s);
    m_jsonWanted = arguments.sliced(0, end < 0 ? arguments.size() : end).contains(u"--json"_s);
    int code = languageError.isEmpty() ? dispatch(arguments) : usageError({}, languageError);
    if (m_output.outputFailed()) {
        m_environment.err.write(Words::tr("ostrel-cli: error: standard output: %1\n")
                                    .arg(m_output.outputError())
                                    .toUtf8());
        code = std::max(code, int(ModuleFailed));
    }
    return code;
}

int Application::dispatch(const QStringList &arguments) {
    const qsizetype at = commandIndex(arguments);
    if (at < 0) {
        const auto given = [&](std::initializer_list<QString> names) {
            return std::ranges::any_of(names,
                                       [&](const QString &n) { return arguments.contains(n); });
        };
        if (given({u"-h"_s, u"--help"_s, u"--help-all"_s, u"-?"_s})) {
            print(generalHelp());
            return Done;
        }
        if (given({u"-v"_s, u"-V"_s, u"--version"_s})) {
            print(u"%1 %2\n"_s.arg(Program, QLatin1String(OSTREL_VERSION)));
            return Done;
        }
        return usageError({}, Words::tr("no command given"));
    }
    const QString name = arguments[at];
    if (name == u"help"_s) {
        if (at + 1 >= arguments.size()) {
            print(generalHelp());
            return Done;
        }
        const QList<CommandInfo> all = catalogue();
        const auto command = std::ranges::find(all, arguments[at + 1], &CommandInfo::name);
        if (command == all.end())
            return usageError({}, unknownCommand(arguments[at + 1]));
        print(commandHelp(*command));
        return Done;
    }
    Command *command = find(name);
    if (!command)
        return usageError({}, unknownCommand(name));
    return runCommand(*command, arguments);
}

int Application::runCommand(Command &command, const QStringList &arguments) {
    QCommandLineParser parser;
    prepare(parser, command);
    const QString name = command.name();
    if (!parser.parse(arguments))
        return usageError(name, u"%1: %2"_s.arg(name, parser.errorText()));
    if (parser.isSet(u"help"_s) || parser.isSet(u"help-all"_s)) {
        print(commandHelp(info(command)));
        return Done;
    }

    CommonOptions options;
    const int offered = command.commonOptions();
    const auto isSet = [&](int flag, const QCommandLineOption &option) {
        return (offered & flag) && parser.isSet(option);
    };
    options.json = isSet(JsonOption, m_common.json);
    options.quiet = isSet(QuietOption, m_common.quiet);
    options.dryRun = isSet(DryRunOption, m_common.dryRun);
    options.yes = isSet(YesOption, m_common.yes);
    options.timeoutMs = command.defaultTimeoutMs();
    if (isSet(TimeoutOption, m_common.timeout)) {
        const std::optional<int> ms = numberIn(parser.value(m_common.timeout), 1, 3600000);
        if (!ms)
            return usageError(
                name, Words::tr("%1: --timeout takes milliseconds from 1 to 3600000").arg(name));
        options.timeoutMs = *ms;
    }
    if (isSet(RateOption, m_common.rate)) {
        const std::optional<int> rate =
            numberIn(parser.value(m_common.rate), ModuleBatch::MinRate, 1000000);
        if (!rate)
            return usageError(name,
                              Words::tr("%1: --rate takes frames per second from %2 to 1000000")
                                  .arg(name, QString::number(ModuleBatch::MinRate)));
        options.rate = *rate;
    }
    if (isSet(ParallelOption, m_common.parallel)) {
        const std::optional<int> parallel =
            numberIn(parser.value(m_common.parallel), 1, ModuleTable::MaxModules);
        if (!parallel)
            return usageError(name, Words::tr("%1: --parallel takes a number from 1 to %2")
                                        .arg(name)
                                        .arg(ModuleTable::MaxModules));
        options.parallel = *parallel;
    }
    if (isSet(AdapterOption, m_common.adapter))
        options.adapter = parser.value(m_common.adapter);

    QStringList words = parser.positionalArguments();
    words.removeFirst(); // the command's name
    if (const QString error = command.parse(words, parser); !error.isEmpty())
        return usageError(name, name + u": "_s + error);

    Interrupts *interrupts = command.interruptible() ? m_environment.interrupts : nullptr;
    int caught = 0;
    const auto arm = [&] {
        if (interrupts)
            interrupts->arm([&](int signal) {
                caught = signal;
                m_environment.err.write(
                    Words::tr("ostrel-cli: %1: ending the steps under way (%1 again "
                              "ends at once)\n")
                        .arg(signalName(signal))
                        .toUtf8());
                command.interrupt(Words::tr("interrupted (%1)").arg(signalName(signal)));
            });
    };
    Context context{options,
                    m_environment.adapters,
                    m_output,
                    m_environment.newTransport,
                    m_environment.in && m_environment.inIsTerminal,
                    [&](const QString &question) { return ask(question, interrupts, arm); }};
    m_output.setMode(options.json, options.quiet);
    if (const QString error = command.validate(context); !error.isEmpty())
        return usageError(name, name + u": "_s + error);

    std::optional<Report> report;
    QEventLoop loop;
    arm();
    command.run(context, [&](Report done) {
        report = std::move(done);
        loop.quit();
    });
    if (!report)
        loop.exec();
    if (interrupts)
        interrupts->disarm();
    if (caught) {
        // The shell's convention for a program a signal ended.
        report->exitCode = 128 + caught;
        report->fields.insert(u"interrupted"_s, signalName(caught));
        report->errors.append(
            {{},
             {},
             Words::tr("interrupted by %1: the steps under way ended, no other was "
                       "started")
                 .arg(signalName(caught)),
             u"interrupted"_s});
    }
    m_output.report(name, *report);
    return report->exitCode;
}

// A signal while the question waits ends the program: nothing is under way.
bool Application::ask(const QString &question, Interrupts *interrupts,
                      const std::function<void()> &rearm) {
    if (interrupts)
        interrupts->disarm();
    m_environment.err.write((question + u" [y/N] "_s).toUtf8());
    const QString answer = QString::fromUtf8(m_environment.in->readLine(256)).trimmed();
    if (interrupts)
        rearm();
    return answer.compare(u"y"_s, Qt::CaseInsensitive) == 0 ||
           answer.compare(u"yes"_s, Qt::CaseInsensitive) == 0;
}

} // namespace

int run(const QStringList &arguments, const Environment &environment) {
    // Before the commands are made: their help is made with them. The
    // command line has no texts of its own to keep, so the C locale is English.
    QString languageError;
    const std::optional<language::Choice> chosen =
        language::fromArguments(arguments, &languageError);
    if (QCoreApplication *application = QCoreApplication::instance())
        language::apply(*application, chosen.value_or(language::Choice::System),
                        language::Choice::English);
    // Said again in the language now in force, the system's.
    if (!languageError.isEmpty())
        language::fromArguments(arguments, &languageError);
    return Application(environment).run(arguments, languageError);
}

QList<CommandInfo> commandCatalogue() {
    QBuffer none;
    const NoAdapters adapters;
    const Environment environment{none, none, false, adapters, nullptr};
    return Application(environment).catalogue();
}

} // namespace cli
