#include "cliapp.h"

#include "buildinfo.h"
#include "command.h"

#include <QEventLoop>
#include <QIODevice>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

const QString Program = u"ostrel-cli"_s;

// Within the bounds, or none.
std::optional<int> numberIn(const QString &text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= low && value <= high ? std::optional(value) : std::nullopt;
}

struct CommonOptionSet {
    QCommandLineOption json{u"json"_s, u"Print one JSON document on standard output."_s};
    QCommandLineOption quiet{{u"q"_s, u"quiet"_s},
                             u"Print nothing but errors (and the document of --json)."_s};
    QCommandLineOption timeout{u"timeout"_s, u"Give up after <MS> milliseconds."_s, u"MS"_s};
    QCommandLineOption adapter{
        u"adapter"_s, u"Use only the network adapter with that name or address (see 'adapters')."_s,
        u"NAME|ADDRESS"_s};
    QCommandLineOption rate{
        u"rate"_s,
        u"Send at most <N> frames per second (default %1, at least %2); every frame is a "
        u"broadcast that every module on the segment receives."_s.arg(ModuleBatch::DefaultRate)
            .arg(ModuleBatch::MinRate),
        u"N"_s};
    QCommandLineOption dryRun{u"dry-run"_s, u"Print what would be sent, and send nothing."_s};
    QCommandLineOption parallel{
        u"parallel"_s,
        u"Talk to at most <N> modules at once (default %1, at most a tenth of the rate), each "
        u"at the window's pace."_s.arg(ModuleBatch::DefaultInFlight),
        u"N"_s};

    QList<std::pair<int, const QCommandLineOption *>> all() const {
        return {{JsonOption, &json},        {QuietOption, &quiet}, {TimeoutOption, &timeout},
                {AdapterOption, &adapter},  {RateOption, &rate},   {DryRunOption, &dryRun},
                {ParallelOption, &parallel}};
    }
};

class Application {
public:
    explicit Application(const Environment &environment)
        : m_environment(environment)
        , m_output(environment.out, environment.err, environment.errIsTerminal) {
        m_commands = configurationCommands();
        for (auto &command : workingModeCommands())
            m_commands.push_back(std::move(command));
    }

    int run(const QStringList &arguments);

private:
    Command *find(const QString &name) const {
        const auto it =
            std::ranges::find_if(m_commands, [&](const auto &c) { return c->name() == name; });
        return it == m_commands.end() ? nullptr : it->get();
    }
    qsizetype commandIndex(const QStringList &arguments) const;
    void prepare(QCommandLineParser &parser, const Command &command) const;
    int runCommand(Command &command, const QStringList &arguments);
    int usageError(const QString &command, const QString &message) {
        m_output.usageError(command, message);
        return UsageError;
    }
    void print(const QString &text) { m_environment.out.write(text.toUtf8()); }
    QString generalHelp() const;
    QString commandHelp(const Command &command) const;

    const Environment &m_environment;
    Output m_output;
    CommonOptionSet m_common;
    std::vector<std::unique_ptr<Command>> m_commands;
};

// The first word that is neither an option nor an option's value.
qsizetype Application::commandIndex(const QStringList &arguments) const {
    QStringList valueOptions;
    for (const auto &[flag, option] : m_common.all()) {
        if (!option->valueName().isEmpty())
            valueOptions.append(option->names());
    }
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
    parser.setApplicationDescription(command.summary());
    parser.addHelpOption();
    for (const auto &[flag, option] : m_common.all()) {
        if (command.commonOptions() & flag)
            parser.addOption(*option);
    }
    parser.addOptions(command.options());
    parser.addPositionalArgument(command.name(), command.summary());
    for (const Argument &argument : command.arguments())
        parser.addPositionalArgument(argument.name, argument.description, argument.syntax);
}

QString Application::commandHelp(const Command &command) const {
    QCommandLineParser parser;
    prepare(parser, command);
    QString text = parser.helpText();
    if (const QString details = command.details(); !details.isEmpty())
        text += u'\n' + details;
    return text;
}

QString Application::generalHelp() const {
    QString text = u"Usage: %1 COMMAND [options] [arguments]\n\n"
                   u"Finds, reads, configures and switches networked relay modules from a "
                   u"terminal or a script.\n\nCommands:\n"_s.arg(Program);
    const auto line = [](const QString &name, const QString &what) {
        return u"  "_s + name.leftJustified(10) + u' ' + what + u'\n';
    };
    for (const auto &command : m_commands)
        text += line(command->name(), command->summary());
    text += line(u"help"_s, u"This text, or with a command's name that command's help."_s);
    text += u"\nOptions:\n"_s;
    for (const auto &[flag, option] : m_common.all()) {
        QString names = u"--"_s + option->names().constLast();
        if (option->names().size() > 1)
            names = u"-"_s + option->names().constFirst() + u", "_s + names;
        if (!option->valueName().isEmpty())
            names += u' ' + option->valueName();
        text += u"  "_s + names.leftJustified(24) + u' ' + option->description() + u'\n';
    }
    text += u"  -h, --help                Displays help; with a command, that command's.\n"
            u"  -v, --version             Displays version information.\n\n"
            u"'%1 help COMMAND' tells which of the options a command takes.\n\n"
            u"Exit codes: 0 all done, 1 some module failed, 2 usage error, 3 nothing found "
            u"or the network failed.\n"_s.arg(Program);
    return text;
}

int Application::run(const QStringList &arguments) {
    const qsizetype at = commandIndex(arguments);
    if (at < 0) {
        const auto given = [&](std::initializer_list<QString> names) {
            return std::ranges::any_of(names,
                                       [&](const QString &n) { return arguments.contains(n); });
        };
        if (given({u"-h"_s, u"--help"_s, u"-?"_s})) {
            print(generalHelp());
            return Done;
        }
        if (given({u"-v"_s, u"--version"_s})) {
            print(u"%1 %2\n"_s.arg(Program, QLatin1String(OSTREL_VERSION)));
            return Done;
        }
        return usageError({}, u"no command given"_s);
    }
    const QString name = arguments[at];
    if (name == u"help"_s) {
        if (at + 1 >= arguments.size()) {
            print(generalHelp());
            return Done;
        }
        const Command *command = find(arguments[at + 1]);
        if (!command)
            return usageError({}, u"no command \"%1\""_s.arg(arguments[at + 1]));
        print(commandHelp(*command));
        return Done;
    }
    Command *command = find(name);
    if (!command)
        return usageError({}, u"no command \"%1\""_s.arg(name));
    return runCommand(*command, arguments);
}

int Application::runCommand(Command &command, const QStringList &arguments) {
    QCommandLineParser parser;
    prepare(parser, command);
    const QString name = command.name();
    if (!parser.parse(arguments))
        return usageError(name, u"%1: %2"_s.arg(name, parser.errorText()));
    if (parser.isSet(u"help"_s)) {
        print(commandHelp(command));
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
    options.timeoutMs = command.defaultTimeoutMs();
    if (isSet(TimeoutOption, m_common.timeout)) {
        const std::optional<int> ms = numberIn(parser.value(m_common.timeout), 1, 3600000);
        if (!ms)
            return usageError(name,
                              u"%1: --timeout takes milliseconds from 1 to 3600000"_s.arg(name));
        options.timeoutMs = *ms;
    }
    if (isSet(RateOption, m_common.rate)) {
        const std::optional<int> rate =
            numberIn(parser.value(m_common.rate), ModuleBatch::MinRate, 1000000);
        if (!rate)
            return usageError(name, u"%1: --rate takes frames per second from %2 to 1000000"_s.arg(
                                        name, QString::number(ModuleBatch::MinRate)));
        options.rate = *rate;
    }
    if (isSet(ParallelOption, m_common.parallel)) {
        const std::optional<int> parallel =
            numberIn(parser.value(m_common.parallel), 1, ModuleTable::MaxModules);
        if (!parallel)
            return usageError(name, u"%1: --parallel takes a number from 1 to %2"_s.arg(name).arg(
                                        ModuleTable::MaxModules));
        options.parallel = *parallel;
    }
    if (isSet(AdapterOption, m_common.adapter))
        options.adapter = parser.value(m_common.adapter);

    QStringList words = parser.positionalArguments();
    words.removeFirst(); // the command's name
    if (const QString error = command.parse(words, parser); !error.isEmpty())
        return usageError(name, name + u": "_s + error);

    Context context{options, m_environment.adapters, m_output, m_environment.newTransport};
    m_output.setMode(options.json, options.quiet);
    if (const QString error = command.validate(context); !error.isEmpty())
        return usageError(name, name + u": "_s + error);

    std::optional<Report> report;
    QEventLoop loop;
    command.run(context, [&](Report done) {
        report = std::move(done);
        loop.quit();
    });
    if (!report)
        loop.exec();
    m_output.report(name, *report);
    return report->exitCode;
}

} // namespace

int run(const QStringList &arguments, const Environment &environment) {
    return Application(environment).run(arguments);
}

} // namespace cli
