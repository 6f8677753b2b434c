#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The modules and the settings file speak GBK (code page 936). Every length
// on the wire and every byte limit counts GBK bytes, so texts cross this
// boundary exactly once: typed text is encoded when a frame is built, received
// bytes are decoded when they are shown.
namespace gbk {

QByteArray encode(const QString &text);
QString decode(QByteArrayView bytes);

// Length in GBK bytes (a Chinese character counts two).
qsizetype byteLength(const QString &text);

// Length of the longest prefix of bytes that does not end inside a
// double-byte character: bytes.size(), or one less when the last byte is a
// lead byte still waiting for its trail byte (a stream cut between reads).
qsizetype completeLength(QByteArrayView bytes);

} // namespace gbk
