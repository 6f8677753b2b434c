#include "settings.h"

#include "buildinfo.h"
#include "inifile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <array>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace settings {

namespace {

const QString Section = QStringLiteral("CFG");

// A settings file is a few hundred bytes; anything this large is not one, and
// reading it whole would only cost memory.
constexpr qint64 MaxFileSize = 1 << 20;

const QString AdapterKey = QStringLiteral("Adapter");

QString shown(const QString &path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

enum class ReadOutcome { Read, Missing, Failed };

struct DocumentRead {
    ReadOutcome outcome = ReadOutcome::Missing;
    IniDocument doc;  // empty unless Read
    QByteArray bytes; // what the file held
    QString reason;   // why, when Failed
};

// A missing file is not a failure: it reads as an empty document.
DocumentRead readDocument(const QString &path) {
    DocumentRead read;
    const QFileInfo info(path);
    if (!info.exists())
        return read;
    read.outcome = ReadOutcome::Failed;
    // Opening a FIFO waits for a writer, and a device may never end; neither
    // is opened at all.
    if (!info.isFile()) {
        read.reason = QCoreApplication::translate("settings", "it is not a regular file");
        return read;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.reason = openFailure(file, false);
        return read;
    }
    if (file.size() > MaxFileSize) {
        read.reason = QCoreApplication::translate("settings", "the file is larger than %1 bytes")
                          .arg(MaxFileSize);
        return read;
    }
    // Only what the file holds: a buffer of the largest size allowed would be
    // allocated for every read, a few hundred bytes or not.
    read.bytes = file.read(file.size());
    if (file.error() != QFileDevice::NoError) {
        read.reason = file.errorString();
        return read;
    }
    std::optional<IniDocument> doc = IniDocument::fromBytes(read.bytes);
    if (!doc) {
        read.reason = QCoreApplication::translate(
            "settings",
            "the file is not text in GBK, nor in UTF-8 or UTF-16 with a byte-order mark");
        return read;
    }
    read.doc = std::move(*doc);
    read.outcome = ReadOutcome::Read;
    return read;
}

// The user's own folder for the tool's files. With HOME unset Qt takes "/"
// for the home folder, which names a folder nobody may write
// ("//.config/ostrel"); the account's home is where the user's files are.
QString userFolder() {
#ifdef Q_OS_UNIX
    if (qEnvironmentVariableIsEmpty("HOME") && qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) {
        if (const passwd *account = getpwuid(getuid());
            account && account->pw_dir && *account->pw_dir != '\0')
            return QDir::cleanPath(QFile::decodeName(account->pw_dir) +
                                   QStringLiteral("/.config/ostrel"));
    }
#endif
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/ostrel"));
}

// Creates the file's folder (the user's folder does not exist before the
// first save) and says why not: without it the save would fail later with
// "No such file or directory" where the cause is, say, a closed home folder.
std::optional<QString> makeFolderOf(const QString &path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir())
        return std::nullopt;
#ifdef Q_OS_WIN
    const std::filesystem::path native(folder.toStdWString());
#else
    const std::filesystem::path native(QFile::encodeName(folder).toStdString());
#endif
    std::error_code error;
    std::filesystem::create_directories(native, error);
    if (!error)
        return std::nullopt;
    return QCoreApplication::translate("settings", "the folder %1 could not be created: %2")
        .arg(QDir::toNativeSeparators(folder), QString::fromLocal8Bit(error.message()));
}

SaveResult saveFailure(const QString &path, const QString &reason) {
    return {false,
            QCoreApplication::translate("settings", "The settings could not be saved to %1:\n%2\n\n"
                                                    "The file was not changed.")
                .arg(shown(path), reason)};
}

// A short write says nothing about why; the next write of the rest does.
bool writeAll(QFileDevice &file, QByteArrayView bytes, QString &reason) {
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            reason = file.errorString();
            return false;
        }
        done += n;
    }
    return true;
}

// Where the previous text of a file written in place is kept until the
// write is done.
QString previousCopyPath() {
    return QDir(userFolder()).filePath(QStringLiteral("CFG-previous.ini"));
}

// Overwrites the file itself, for when no temporary file can be created
// beside it. A copy of the previous text is kept first, so that a crash
// part-way leaves a whole copy of one version or the other; the new text is
// padded with blanks to the old length, so that until the file is cut to size
// it reads as the new text, never as the new text followed by the old tail.
// A failure part-way puts the previous text back.
SaveResult writeInPlace(const QString &path, const IniDocument &doc, const QByteArray &previous) {
    const QString copyPath = previousCopyPath();
    QString copyReason;
    if (std::optional<QString> folderReason = makeFolderOf(copyPath)) {
        copyReason = *folderReason;
    } else {
        QSaveFile copy(copyPath);
        if (!copy.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            !writeAll(copy, previous, copyReason) || !copy.commit())
            copyReason = copy.errorString();
    }
    if (!copyReason.isEmpty())
        return saveFailure(path, QCoreApplication::translate(
                                     "settings", "a copy of its text could not be kept in %1: %2")
                                     .arg(shown(copyPath), copyReason));

    const QByteArray bytes = doc.toBytes();
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return saveFailure(path, file.errorString());
    QString reason;
    if (writeAll(file, doc.toBytes(previous.size()), reason)) {
        if (file.resize(bytes.size())) {
            QFile::remove(copyPath);
            return {true, {}};
        }
        reason = file.errorString();
    }
    QString ignored;
    const bool restored =
        file.seek(0) && writeAll(file, previous, ignored) && file.resize(previous.size());
    return {false,
            QCoreApplication::translate("settings", "The settings could not be saved to %1:\n%2\n\n"
                                                    "%3 A copy of its previous text is in %4.")
                .arg(shown(path), reason,
                     restored
                         ? QCoreApplication::translate("settings", "The file was not changed.")
                         : QCoreApplication::translate(
                               "settings", "The file could not be restored and may be damaged."),
                     shown(copyPath))};
}

// Reads the current file so that what else it holds survives, lets edit change
// the document, and replaces the file only once the new text is completely on
// disk: a crash or a full disk part-way through leaves the old file whole.
template <typename Edit> SaveResult replaceDocument(const QString &path, Edit edit) {
    DocumentRead read = readDocument(path);
    if (read.outcome == ReadOutcome::Failed)
        return saveFailure(path, read.reason);
    edit(read.doc);
    const QByteArray bytes = read.doc.toBytes();
    if (std::optional<QString> reason = makeFolderOf(path))
        return saveFailure(path, *reason);

    // Unbuffered, because a buffered QSaveFile flushes inside commit() and
    // takes a short write there (full disk, file size limit) for success,
    // renaming a truncated file over the good one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // A folder closed to new files (a program folder) may still hold a
        // CFG.ini the user may write.
        if (read.outcome == ReadOutcome::Read)
            return writeInPlace(path, read.doc, read.bytes);
        return saveFailure(path, openFailure(file, true));
    }
    if (QString reason; !writeAll(file, bytes, reason)) {
        file.cancelWriting();
        return saveFailure(path, reason);
    }
    if (!file.commit())
        return saveFailure(path, file.errorString());
    return {true, {}};
}

SaveResult lineBreakFailure(const QString &path, const QString &key) {
    return saveFailure(
        path,
        QCoreApplication::translate("settings", "the value of \"%1\" holds a line break").arg(key));
}

} // namespace

QString openFailure(const QFileDevice &file, bool writing) {
    const QFileInfo info(file.fileName());
    if (info.isDir())
        return QCoreApplication::translate("settings", "it is a folder");
    if (!writing && !info.exists())
        return QCoreApplication::translate("settings", "no such file");
    if (writing && !info.dir().exists())
        return QCoreApplication::translate("settings", "the folder does not exist");
    const bool allowed =
        writing ? (info.exists() ? info.isWritable() : QFileInfo(info.absolutePath()).isWritable())
                : info.isReadable();
    if (!allowed)
        return QCoreApplication::translate("settings", "permission denied");
    return file.errorString();
}

QString filePathFor(const QString &programFolder) {
    const QDir folder(programFolder);
    // An installed copy finds its desktop entry in the share folder beside
    // its own; its folder (/usr/bin) is writable to root alone, and even root
    // must not leave a file there.
    // On Windows the setup program's uninstaller stands above the programs'
    // folder; Qt cannot tell there whether Program Files may be written.
    const bool installed =
        QFileInfo::exists(
            folder.filePath(QStringLiteral("../share/applications/" OSTREL_APP_ID ".desktop"))) ||
        QFileInfo::exists(folder.filePath(QStringLiteral("../Uninstall.exe")));
    // A file already there that can be written stays in use even where the
    // folder is closed (it is then written in place).
    const QString beside = folder.filePath(QStringLiteral("CFG.ini"));
    if (!installed && (QFileInfo(programFolder).isWritable() || QFileInfo(beside).isWritable()))
        return beside;
    // Named here rather than through AppConfigLocation because the
    // application's name becomes the window caption at start-up.
    return QDir(userFolder()).filePath(QStringLiteral("CFG.ini"));
}

QString defaultFilePath() {
    return filePathFor(QCoreApplication::applicationDirPath());
}

QString ReadSetting(const QString &path, const QString &key) {
    const DocumentRead read = readDocument(path);
    return read.doc.value(Section, key).value_or(QStringLiteral("0"));
}

SaveResult WriteSetting(const QString &path, const QString &key, const QString &value) {
    if (IniDocument::holdsLineBreak(value))
        return lineBreakFailure(path, key);
    return replaceDocument(path, [&](IniDocument &doc) { doc.setValue(Section, key, value); });
}

SaveResult saveSettings(const QString &path, const ParameterSettings &values) {
    QStringList names;
    for (const SettingsKey &key : parameters::settingsKeys())
        names.append(QString::fromLatin1(key.name));
    names.append(AdapterKey);
    const QStringList texts = values.fields + QStringList{values.Adapter};
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (IniDocument::holdsLineBreak(texts.value(i)))
            return lineBreakFailure(path, names[i]);
    }
    return replaceDocument(path, [&](IniDocument &doc) {
        for (qsizetype i = 0; i < names.size(); ++i)
            doc.setValue(Section, names[i], texts.value(i));
    });
}

LoadResult loadSettings(const QString &path, const ParameterSettings &current) {
    LoadResult result;
    const DocumentRead read = readDocument(path);
    switch (read.outcome) {
    case ReadOutcome::Missing:
        return result;
    case ReadOutcome::Failed:
        result.values = current;
        result.message = QCoreApplication::translate(
                             "settings", "The settings could not be read from %1:\n%2\n\n"
                                         "The fields were not changed.")
                             .arg(shown(path), read.reason);
        return result;
    case ReadOutcome::Read:
        break;
    }

    const std::span<const SettingsKey> keys = parameters::settingsKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        const QString name = QString::fromLatin1(keys[i].name);
        // A file saved before a key existed keeps its default.
        const std::optional<QString> text = read.doc.value(Section, name);
        if (!text)
            continue;
        result.heldKeys.append(name);
        QString &field = result.values.fields[qsizetype(i)];
        if (!keys[i].items) {
            field = *text;
            continue;
        }
        bool ok = false;
        const int index = text->trimmed().toInt(&ok, 10);
        if (ok) {
            field = QString::number(index);
        } else {
            field = current.fields.value(qsizetype(i));
            result.unreadableKeys.append(name);
        }
    }
    if (const std::optional<QString> adapter = read.doc.value(Section, AdapterKey))
        result.values.Adapter = *adapter;
    if (!result.unreadableKeys.isEmpty()) {
        result.message =
            QCoreApplication::translate(
                "settings", "The settings file %1 holds no item number under %2, so those "
                            "boxes were left as they were. Everything else was restored.")
                .arg(shown(path), result.unreadableKeys.join(QStringLiteral(", ")));
    }
    return result;
}

} // namespace settings

namespace {

qsizetype placeOf(QStringView key) {
    const std::span<const SettingsKey> keys = parameters::settingsKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (key == QLatin1String(keys[i].name))
            return qsizetype(i);
    }
    return -1;
}

} // namespace

QString ParameterSettings::field(QStringView key) const {
    return fields.value(placeOf(key));
}

void ParameterSettings::setField(QStringView key, const QString &text) {
    if (const qsizetype place = placeOf(key); place >= 0 && place < fields.size())
        fields[place] = text;
}
