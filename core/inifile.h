#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// An INI text read the way the Windows profile functions read it, so files
// written by either side load in the other: section and key names match
// without regard to case and to spaces around them, spaces around '=' do not
// count, and of duplicate sections or keys the first one wins. Names and
// values are GBK text. Lines the tool does not own (other sections, other
// keys, comments) survive an edit unchanged; only line ends are rewritten as
// CRLF.
class IniDocument {
public:
    static IniDocument fromBytes(QByteArrayView bytes);
    QByteArray toBytes() const;

    std::optional<QString> value(QStringView section, QStringView key) const;

    // Replaces the key's line in place, or adds it at the end of its section,
    // or adds the section at the end of the text. The value must not hold a
    // line break (see holdsLineBreak); such a value would smuggle in lines of
    // its own.
    void setValue(const QString &section, const QString &key, const QString &value);

    static bool holdsLineBreak(const QString &value);

private:
    struct SectionSpan {
        qsizetype header = -1; // index of the "[name]" line; -1 when absent
        qsizetype end = 0;     // one past its last line
    };
    SectionSpan findSection(QStringView section) const;
    qsizetype findKey(const SectionSpan &span, QStringView key) const;

    QList<QByteArray> m_lines; // without their line ends
};
