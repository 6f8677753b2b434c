#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringConverter>
#include <QStringView>

#include <optional>

// An INI text read the way the Windows profile functions read it, so files
// written by either side load in the other: section and key names match
// without regard to case and to spaces around them, spaces around '=' and
// around a value do not count, one pair of matching quotes around a value is
// dropped, and of duplicate sections or keys the first one wins. The text is
// GBK, or Unicode when the file begins with a byte-order mark (Notepad's
// "Unicode" and "UTF-8"); it is written back in the encoding it came in.
// Lines the tool does not own (other sections, other keys, comments) survive
// an edit unchanged; only line ends are rewritten as CRLF.
class IniDocument {
public:
    // Empty when the bytes are not text: a marked file that does not decode,
    // or one holding a NUL (UTF-16 without its mark reads as nothing else).
    static std::optional<IniDocument> fromBytes(QByteArrayView bytes);
    // At least minimumSize bytes: a shorter text is padded with blanks, which
    // read as nothing.
    QByteArray toBytes(qsizetype minimumSize = 0) const;

    std::optional<QString> value(QStringView section, QStringView key) const;

    // Replaces the key's line in place, or adds it at the end of its section,
    // or adds the section at the end of the text. A value that would not read
    // back as itself (spaces around it, quotes of its own) is written inside
    // quotes. The value must not hold a line break (see holdsLineBreak); such
    // a value would smuggle in lines of its own.
    void setValue(const QString &section, const QString &key, const QString &value);

    static bool holdsLineBreak(const QString &value);

private:
    struct SectionSpan {
        qsizetype header = -1; // index of the "[name]" line; -1 when absent
        qsizetype end = 0;     // one past its last line
    };
    SectionSpan findSection(QStringView section) const;
    qsizetype findKey(const SectionSpan &span, QStringView key) const;
    QString sectionName(const QByteArray &trimmedLine) const;

    QString decode(QByteArrayView bytes) const;
    QByteArray encode(const QString &text) const;

    // The file's encoding when it began with a byte-order mark; the lines are
    // then held as UTF-8, otherwise as the file's GBK bytes.
    std::optional<QStringConverter::Encoding> m_unicode;
    QList<QByteArray> m_lines; // without their line ends
};
