#pragma once

#include "parameters.h"

#include <QFileDevice>
#include <QString>
#include <QStringList>

// The parameter fields of the main window as the settings file keeps them,
// one text per key of parameters::settingsKeys() in its order: an edit
// field's text, or a list's item number in decimal ("-1": no selection); and
// the adapter the search goes through. The initial values are what a missing
// file or key restores.
struct ParameterSettings {
    QStringList fields =
        QStringList(qsizetype(parameters::settingsKeys().size()), QStringLiteral("0"));
    // The adapter's name; empty: every adapter.
    QString Adapter;

    // The text under the settings key of that name (empty for none).
    QString field(QStringView key) const;
    void setField(QStringView key, const QString &text);

    friend bool operator==(const ParameterSettings &, const ParameterSettings &) = default;
};

// CFG.ini: section "CFG", one "Key=Value" line per key in the order of
// the settings keys, GBK text (or the Unicode encoding of a file that begins
// with a byte-order mark), CRLF line ends. Every function takes the file's
// path so that tests never touch the file beside the executable.
namespace settings {

// CFG.ini beside the program when the program is not an installed copy (a
// portable copy, or a build) and its folder, or a CFG.ini already there, is
// writable; otherwise CFG.ini in the user's configuration folder for
// "ostrel" (~/.config/ostrel), which may not exist yet.
QString filePathFor(const QString &programFolder);
// filePathFor the executable's folder. Needs the application object.
QString defaultFilePath();

struct SaveResult {
    bool ok = false;
    // Names the file and the reason when ok is false.
    QString message;
};

struct LoadResult {
    ParameterSettings values;
    // Keys whose combo box index is not a decimal number; their fields of
    // values keep what the caller passed in.
    QStringList unreadableKeys;
    // The parameter keys the file holds, in its order.
    QStringList heldKeys;
    // Empty when everything was read; otherwise a text for the user that
    // names the file.
    QString message;
};

// Why file could not be opened for reading or writing, in the language in
// force: the common reasons in the program's own words, since the system's
// follow the system's language and not the one chosen.
QString openFailure(const QFileDevice &file, bool writing);

// Value of key in section "CFG"; "0" when the file or the key is missing.
QString ReadSetting(const QString &path, const QString &key);
// Stores one key; the file is replaced whole or not at all. In a folder where
// no new file may be created, the existing file is overwritten instead, and a
// failure part-way puts its previous text back.
SaveResult WriteSetting(const QString &path, const QString &key, const QString &value);

// All keys in one replacement of the file, keeping whatever else the file
// holds.
SaveResult saveSettings(const QString &path, const ParameterSettings &values);
// A missing file or key gives the defaults of ParameterSettings. A file that
// exists but cannot be read or decoded leaves current untouched and says why.
// An index that is not a number leaves that member as in current and the
// other keys are still read.
LoadResult loadSettings(const QString &path, const ParameterSettings &current);

} // namespace settings
