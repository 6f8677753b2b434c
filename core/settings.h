#pragma once

#include <QString>
#include <QStringList>

// The parameter fields of the main window as the settings file keeps them:
// combo boxes by item index (-1 for no selection), edit fields by their text;
// and the adapter the search goes through. The member initialisers are what
// a missing file or key restores.
struct ParameterSettings {
    int Model = 0;
    QString GateWay = QStringLiteral("0");
    QString Mask = QStringLiteral("0");
    QString IP = QStringLiteral("0");
    QString DIP = QStringLiteral("0");
    QString Port = QStringLiteral("0");
    QString DPort = QStringLiteral("0");
    int BaudRate = 0;
    int DataBit = 0;
    int StopBit = 0;
    int Parity = 0;
    QString MAC = QStringLiteral("0");
    // The adapter's name; empty: every adapter.
    QString Adapter;

    friend bool operator==(const ParameterSettings &, const ParameterSettings &) = default;
};

// CFG.ini: section "CFG", one "Key=Value" line per key in the order of
// ParameterSettings, GBK text (or the Unicode encoding of a file that begins
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
    // Keys whose combo box index is not a decimal number; their members of
    // values keep what the caller passed in.
    QStringList unreadableKeys;
    // Empty when everything was read; otherwise a text for the user that
    // names the file.
    QString message;
};

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
