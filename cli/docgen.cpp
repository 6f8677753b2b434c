// Writes what the package installs beside ostrel-cli, from the commands' own
// words and options so that it cannot drift from them: a manual page for
// the tool and one per command, and completions for bash, zsh and fish.
//
//     ostrel-cli-docs OUTDIR VERSION DATE
#include "buildinfo.h"
#include "cliapp.h"
#include "commandtable.h"
#include "language.h"
#include "settingtext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QString Program = u"ostrel-cli"_s;

struct Example {
    QString line; // after the program's name
    QString what;
};

// The lab's addresses, as the README's walkthrough uses them.
const QHash<QString, QList<Example>> Examples{
    {u"adapters"_s, {{u"adapters"_s, u"Lists the adapters a search goes out of."_s}}},
    {u"search"_s,
     {{u"search"_s, u"Lists the modules that answer."_s},
      {u"search --adapter eth0 --json"_s, u"Searches behind eth0 only, for a script."_s}}},
    {u"read"_s,
     {{u"read all"_s, u"Reads every parameter of every module that answers."_s},
      {u"read 02:00:c0:a8:01:c7 --uart --json > module.json"_s,
       u"Keeps one module's parameters, serial settings included, for write --from."_s}}},
    {u"set"_s,
     {{u"set 02:00:c0:a8:01:c7 name=Pump port=5001"_s, u"Sets two parameters of one module."_s},
      {u"set 02:00:c0:a8:01:c7 uart=9600,8,1,None --dry-run"_s,
       u"Prints the frames it would send, and sends nothing."_s}}},
    {u"default"_s,
     {{u"default 192.168.1.200"_s,
       u"Restores the factory settings of the module at that address."_s},
      {u"default all --yes"_s,
       u"Restores the factory settings of every module that answers, without asking."_s}}},
    {u"write"_s,
     {{u"write 02:00:c0:a8:01:c7 --from module.json"_s, u"Writes back what 'read --json' kept."_s},
      {u"write 02:00:c0:a8:01:c7 --from CFG.ini"_s, u"Writes what the window saved."_s}}},
    {u"apply"_s,
     {{u"apply plan.csv"_s, u"Sets each module of the plan to its own settings and checks them."_s},
      {u"apply - < plan.json"_s, u"Reads the plan from standard input."_s}}},
    {u"relay"_s,
     {{u"relay 192.168.1.199:12345 3 on --time 30"_s,
       u"Switches relay 3 on, and back after 30 time units of the module."_s},
      {u"relay 192.168.1.199:12345 0 off --udp"_s, u"Switches every relay off, over UDP."_s}}},
    {u"relays"_s,
     {{u"relays 192.168.1.199:12345"_s, u"Shows the states of all fifteen relays."_s}}},
    {u"inputs"_s, {{u"inputs 192.168.1.199:12345 4"_s, u"Shows the state of input 4."_s}}},
    {u"help"_s, {{u"help write"_s, u"Prints the help of write."_s}}},
};

const QList<std::pair<QString, QString>> ExitStatus{
    {u"0"_s, u"All done."_s},
    {u"1"_s, u"Some module failed (it answered \"ERROR\", not every relay or input answered in "
             u"time, a step was refused), or standard output could not be written."_s},
    {u"2"_s, u"Usage error: nothing was sent."_s},
    {u"3"_s, u"Nothing found, or the network failed (no adapter, no connection, a datagram "
             u"refused)."_s},
    {u"130, 143"_s,
     u"Interrupted by SIGINT or SIGTERM; the steps under way ended and the report says what "
     u"each module confirmed."_s},
};

QStringList settingKeys() {
    QStringList keys;
    for (int p = 0; p < int(Parameter::Version); ++p)
        keys.append(cli::keyOf(Parameter(p)));
    return keys;
}

QStringList optionNames(const QCommandLineOption &option) {
    QStringList names;
    for (const QString &name : option.names())
        names.append((name.size() == 1 ? u"-"_s : u"--"_s) + name);
    return names;
}

// ---------------------------------------------------------------------------
// Manual pages

QString roff(QString text) {
    text.replace(u'\\', u"\\e"_s);
    text.replace(u'-', u"\\-"_s);
    QStringList lines = text.split(u'\n');
    for (QString &line : lines) {
        if (line.startsWith(u'.') || line.startsWith(u'\''))
            line.prepend(u"\\&"_s);
    }
    return lines.join(u'\n');
}

// A paragraph per line; lines that start with spaces (a table) kept as they are.
QString roffText(const QString &text) {
    QString page;
    bool verbatim = false;
    for (const QString &line : text.trimmed().split(u'\n')) {
        const bool indented = line.startsWith(u' ');
        if (indented != verbatim)
            page += indented ? u".nf\n"_s : u".fi\n"_s;
        verbatim = indented;
        page += (!indented && !line.isEmpty() ? u".PP\n"_s : QString()) + roff(line) + u'\n';
    }
    return verbatim ? page + u".fi\n"_s : page;
}

QString header(const QString &name, const QString &version, const QString &date) {
    return u".TH %1 1 \"%2\" \"ostrel %3\" \"User Commands\"\n"_s.arg(name.toUpper(), date,
                                                                      version);
}

QString options(const QList<QCommandLineOption> &list) {
    QString page;
    for (const QCommandLineOption &option : list) {
        QStringList names;
        for (const QString &name : optionNames(option))
            names.append(u"\\fB"_s + roff(name) + u"\\fR"_s);
        QString item = names.join(u", "_s);
        if (!option.valueName().isEmpty())
            item += u" \\fI"_s + roff(option.valueName()) + u"\\fR"_s;
        page += u".TP\n"_s + item + u'\n' + roff(option.description()) + u'\n';
    }
    return page;
}

QString exitStatus() {
    QString page = u".SH \"EXIT STATUS\"\n"_s;
    for (const auto &[code, what] : ExitStatus)
        page += u".TP\n.B %1\n%2\n"_s.arg(code, roff(what));
    return page;
}

QString commandPage(const cli::CommandInfo &command, const QString &version, const QString &date) {
    const QString name = Program + u'-' + command.name;
    QString page = header(name, version, date);
    // What the command does, to its first stop, for whatis(1).
    QString what = command.summary.section(QRegularExpression(u"[:;.(] ?"_s), 0, 0).trimmed();
    what[0] = what[0].toLower();
    page += u".SH NAME\n%1 \\- %2\n"_s.arg(roff(name), roff(what));
    page += u".SH SYNOPSIS\n.B %1 %2\n%3 [options]\n"_s.arg(roff(Program), command.name,
                                                            roff(command.usage));
    page += u".SH DESCRIPTION\n"_s + roffText(command.summary);
    if (!command.details.isEmpty())
        page += roffText(command.details);
    page += u".SH ARGUMENTS\n"_s;
    if (command.arguments.isEmpty())
        page += u"None.\n"_s;
    for (const cli::Argument &argument : command.arguments)
        page += u".TP\n.I %1\n%2\n"_s.arg(roff(argument.syntax), roff(argument.description));
    if (!command.options.isEmpty())
        page += u".SH OPTIONS\n"_s + options(command.options);
    page += u".SH EXAMPLES\n"_s;
    for (const Example &example : Examples.value(command.name))
        page += u".TP\n.B %1 %2\n%3\n"_s.arg(roff(Program), roff(example.line), roff(example.what));
    page += exitStatus();
    page += u".SH \"SEE ALSO\"\n.BR %1 (1)\n"_s.arg(roff(Program));
    return page;
}

QString mainPage(const QList<cli::CommandInfo> &commands, const QString &version,
                 const QString &date) {
    QString page = header(Program, version, date);
    const QString program = roff(Program);
    page += u".SH NAME\n%1 \\- command\\-line tool for networked relay modules\n"_s.arg(program);
    page += u".SH SYNOPSIS\n.B %1\n.I COMMAND\n[options] [arguments]\n.br\n.B %1 help\n"
            u"[\\fICOMMAND\\fR]\n.br\n.B %1 \\-\\-version\n"_s.arg(program);
    page += u".SH DESCRIPTION\n"_s +
            roffText(u"Finds, reads, configures and switches networked relay modules from a "
                     u"terminal or a script, on the same core as the window and without a "
                     u"display. Standard output carries the result only: a table, or with "
                     u"--json one JSON document. Errors, warnings and (on a terminal) progress "
                     u"go to standard error.\n"
                     u"Each command has a manual page of its own, named below."_s);
    page += u".SH COMMANDS\n"_s;
    for (const cli::CommandInfo &command : commands)
        page += u".TP\n.BR %1\\-%2 (1)\n%3\n"_s.arg(program, command.name, roff(command.summary));
    QList<QCommandLineOption> shared;
    for (const cli::CommandInfo &command : commands) {
        for (const QCommandLineOption &option : command.options) {
            if (std::ranges::none_of(
                    shared,
                    [&](const QCommandLineOption &o) { return o.names() == option.names(); }) &&
                std::ranges::count_if(commands, [&](const cli::CommandInfo &c) {
                    return std::ranges::any_of(c.options, [&](const QCommandLineOption &o) {
                        return o.names() == option.names();
                    });
                }) > 2)
                shared.append(option);
        }
    }
    shared.append({{u"v"_s, u"V"_s, u"version"_s}, u"Displays version information."_s});
    page += u".SH OPTIONS\nThose several commands take; each command's page names its own.\n"_s +
            options(shared);
    page += exitStatus();
    QStringList seeAlso;
    for (const cli::CommandInfo &command : commands)
        seeAlso.append(u".BR %1\\-%2 (1)"_s.arg(program, command.name));
    page += u".SH \"SEE ALSO\"\n"_s + seeAlso.join(u",\n"_s) + u",\n.BR ostrel (1)\n"_s;
    return page;
}

// ---------------------------------------------------------------------------
// Completions

const QString AdapterNames = u"%1 adapters 2>/dev/null | awk 'NR > 1 { print $1 }'"_s.arg(Program);

// What a command's words after its name are completed with.
enum class Words { None, Keys, Files, Commands, Targets };

Words wordsOf(const QString &command) {
    if (command == u"set"_s)
        return Words::Keys;
    if (command == u"apply"_s)
        return Words::Files;
    if (command == u"help"_s)
        return Words::Commands;
    if (command == u"read"_s || command == u"default"_s || command == u"write"_s)
        return Words::Targets;
    return Words::None;
}

// The values --lang takes, as words of a shell.
QString languages() {
    return language::codeList().replace(u'|', u' ');
}

bool isFileOption(const QCommandLineOption &option) {
    return option.valueName() == u"FILE"_s;
}

QString bash(const QList<cli::CommandInfo> &commands) {
    QStringList names;
    QStringList valueOptions;
    for (const cli::CommandInfo &command : commands) {
        names.append(command.name);
        for (const QCommandLineOption &option : command.options) {
            if (!option.valueName().isEmpty())
                valueOptions.append(optionNames(option));
        }
    }
    valueOptions.removeDuplicates();
    QString script = u"# bash completion for %1 -*- shell-script -*-\n\n"_s.arg(Program);
    script += u"_ostrel_cli() {\n"
              u"    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
              u"    local command= i\n"
              u"    for ((i = 1; i < COMP_CWORD; i++)); do\n"
              u"        case ${COMP_WORDS[i]} in\n"
              u"            %1) ((i++)) ;;\n"
              u"            -*) ;;\n"
              u"            *) command=${COMP_WORDS[i]}; break ;;\n"
              u"        esac\n"
              u"    done\n"
              u"    case $prev in\n"
              u"        --adapter) COMPREPLY=($(compgen -W \"$(%2)\" -- \"$cur\")); return ;;\n"
              u"        --from) COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
              u"        --lang) COMPREPLY=($(compgen -W \"%4\" -- \"$cur\")); return ;;\n"
              u"        %1) return ;;\n"
              u"    esac\n"
              u"    local options words\n"
              u"    case $command in\n"
              u"        '') COMPREPLY=($(compgen -W \"%3 -h --help -V --version --lang\" -- "
              u"\"$cur\")); return ;;\n"_s.arg(valueOptions.join(u'|'), AdapterNames,
                                               names.join(u' '), languages());
    for (const cli::CommandInfo &command : commands) {
        QStringList options;
        for (const QCommandLineOption &option : command.options)
            options.append(optionNames(option));
        QString words;
        switch (wordsOf(command.name)) {
        case Words::Keys:
            words = u"all "_s + settingKeys().join(u"= "_s) + u'=';
            break;
        case Words::Commands:
            words = names.join(u' ');
            break;
        case Words::Targets:
            words = u"all"_s;
            break;
        case Words::Files:
        case Words::None:
            break;
        }
        script += u"        %1) options=\"%2\" words=\"%3\" ;;\n"_s.arg(command.name,
                                                                        options.join(u' '), words);
    }
    script += u"        *) return ;;\n"
              u"    esac\n"
              u"    if [[ $cur == -* ]]; then\n"
              u"        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
              u"    elif [[ $command == apply ]]; then\n"
              u"        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
              u"    else\n"
              u"        COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
              u"        [[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null\n"
              u"    fi\n"
              u"}\n"
              u"complete -F _ostrel_cli %1\n"_s.arg(Program);
    return script;
}

// Within a zsh _arguments option description: no brackets, colons or quotes of its own.
QString zshText(QString text) {
    text = text.section(u". "_s, 0, 0);
    text.remove(QRegularExpression(u"[\\[\\]:'\\\\]"_s));
    return text.replace(u'"', u' ');
}

QString zsh(const QList<cli::CommandInfo> &commands) {
    QString script = u"#compdef %1\n\n"_s.arg(Program);
    script += u"_ostrel_cli_adapters() {\n    local -a names\n    names=(${(f)\"$(%1)\"})\n"
              u"    _describe adapter names\n}\n\n"_s.arg(AdapterNames);
    script += u"_ostrel_cli_commands() {\n    local -a commands\n    commands=(\n"_s;
    for (const cli::CommandInfo &command : commands)
        script += u"        '%1:%2'\n"_s.arg(command.name, zshText(command.summary));
    script += u"    )\n    _describe command commands\n}\n\n"_s;
    script += u"_ostrel-cli() {\n"
              u"    if (( CURRENT == 2 )); then\n"
              u"        _ostrel_cli_commands\n"
              u"        return\n"
              u"    fi\n"
              u"    local command=${words[2]}\n"
              u"    shift words\n"
              u"    (( CURRENT-- ))\n"
              u"    case $command in\n"_s;
    for (const cli::CommandInfo &command : commands) {
        QStringList specs;
        for (const QCommandLineOption &option : command.options) {
            QString action;
            if (option.names().contains(u"adapter"_s))
                action = u":adapter:_ostrel_cli_adapters"_s;
            else if (isFileOption(option))
                action = u":file:_files"_s;
            else if (option.names().contains(u"lang"_s))
                action = u":language:(%1)"_s.arg(languages());
            else if (!option.valueName().isEmpty())
                action = u':' + option.valueName() + u':';
            for (const QString &name : optionNames(option))
                specs.append(u"'%1[%2]%3'"_s.arg(name, zshText(option.description()), action));
        }
        switch (wordsOf(command.name)) {
        case Words::Keys:
            specs.append(u"'*:setting:(all %1)'"_s.arg(settingKeys().join(u"= "_s) + u'='));
            break;
        case Words::Files:
            specs.append(u"'1:plan:_files'"_s);
            break;
        case Words::Commands:
            specs.append(u"'1:command:_ostrel_cli_commands'"_s);
            break;
        case Words::Targets:
            specs.append(u"'*:target:(all)'"_s);
            break;
        case Words::None:
            break;
        }
        script += u"        %1) _arguments -s \\\n            %2 ;;\n"_s.arg(
            command.name, specs.join(u" \\\n            "_s));
    }
    script += u"    esac\n}\n\n_ostrel-cli \"$@\"\n"_s;
    return script;
}

QString fishText(QString text) {
    return text.section(u". "_s, 0, 0).replace(u'\\', u"\\\\"_s).replace(u'\'', u"\\'"_s);
}

QString fish(const QList<cli::CommandInfo> &commands) {
    QString script = u"# fish completion for %1\ncomplete -c %1 -f\n"
                     u"function __ostrel_cli_adapters\n    %2\nend\n"_s.arg(Program, AdapterNames);
    QStringList names;
    for (const cli::CommandInfo &command : commands) {
        names.append(command.name);
        script += u"complete -c %1 -n __fish_use_subcommand -a %2 -d '%3'\n"_s.arg(
            Program, command.name, fishText(command.summary));
    }
    script += u"complete -c %1 -n __fish_use_subcommand -s V -l version -d 'Displays version "
              u"information'\n"_s.arg(Program);
    for (const cli::CommandInfo &command : commands) {
        const QString when = u"-n '__fish_seen_subcommand_from %1'"_s.arg(command.name);
        for (const QCommandLineOption &option : command.options) {
            QString line = u"complete -c %1 %2"_s.arg(Program, when);
            for (const QString &name : option.names())
                line += (name.size() == 1 ? u" -s "_s : u" -l "_s) + name;
            if (option.names().contains(u"adapter"_s))
                line += u" -x -a '(__ostrel_cli_adapters)'"_s;
            else if (isFileOption(option))
                line += u" -r -F"_s;
            else if (option.names().contains(u"lang"_s))
                line += u" -x -a '%1'"_s.arg(languages());
            else if (!option.valueName().isEmpty())
                line += u" -x"_s;
            script += line + u" -d '%1'\n"_s.arg(fishText(option.description()));
        }
        QString words;
        switch (wordsOf(command.name)) {
        case Words::Keys:
            words = u"-a 'all %1'"_s.arg(settingKeys().join(u"= "_s) + u'=');
            break;
        case Words::Files:
            words = u"-F"_s;
            break;
        case Words::Commands:
            words = u"-a '%1'"_s.arg(names.join(u' '));
            break;
        case Words::Targets:
            words = u"-a all"_s;
            break;
        case Words::None:
            break;
        }
        if (!words.isEmpty())
            script += u"complete -c %1 %2 %3\n"_s.arg(Program, when, words);
    }
    return script;
}

bool save(const QString &path, const QString &text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size())
        return true;
    std::fprintf(stderr, "ostrel-cli-docs: %s: %s\n", qPrintable(path),
                 qPrintable(file.errorString()));
    return false;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: ostrel-cli-docs OUTDIR DATE\n");
        return 2;
    }
    const QDir out(arguments[1]);
    const QString version = QLatin1String(OSTREL_VERSION);
    const QString &date = arguments[2];
    const QList<cli::CommandInfo> commands = cli::commandCatalogue();
    bool ok = out.mkpath(u"."_s) &&
              save(out.filePath(Program + u".1"_s), mainPage(commands, version, date));
    for (const cli::CommandInfo &command : commands)
        ok = ok && save(out.filePath(u"%1-%2.1"_s.arg(Program, command.name)),
                        commandPage(command, version, date));
    ok = ok && save(out.filePath(Program + u".bash"_s), bash(commands)) &&
         save(out.filePath(u"_"_s + Program), zsh(commands)) &&
         save(out.filePath(Program + u".fish"_s), fish(commands));
    return ok ? 0 : 1;
}
