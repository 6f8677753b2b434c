#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// What stays and what changes when the command line speaks another language.
namespace languagecheck {

// Whether text holds Chinese: ideographs, CJK punctuation or full-width forms.
inline bool hasChinese(const QString &text) {
    static const QRegularExpression chinese(
        QStringLiteral("[\\p{Han}\\x{3000}-\\x{303f}\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return text.contains(chinese);
}

// A document without its words: every "message" member dropped. What is left
// (member names, codes, steps, states, numbers) is the same in every language.
inline QJsonValue withoutWords(const QJsonValue &value) {
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue &item : value.toArray())
            array.append(withoutWords(item));
        return array;
    }
    if (!value.isObject())
        return value;
    QJsonObject object;
    const QJsonObject original = value.toObject();
    for (auto it = original.begin(); it != original.end(); ++it) {
        if (it.key() != QLatin1String("message"))
            object.insert(it.key(), withoutWords(it.value()));
    }
    return object;
}

// Objects of the document that say something in words ("message") but give
// a script no code for it, in JSON text.
inline QStringList messagesWithoutCode(const QJsonValue &value) {
    QStringList found;
    if (value.isArray()) {
        for (const QJsonValue &item : value.toArray())
            found += messagesWithoutCode(item);
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        if (object.contains(QLatin1String("message")) &&
            object.value(QLatin1String("code")).toString().isEmpty())
            found.append(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
        for (const QJsonValue &member : object)
            found += messagesWithoutCode(member);
    }
    return found;
}

} // namespace languagecheck
