#pragma once
#include <QByteArray>
#include <QString>

// Conversions between wide text and 8-bit text in code page 936 (GBK). Characters GBK cannot
// represent become '?'.
namespace Gbk {
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);
// Byte length in GBK: 2 for each Chinese character, 1 for each ASCII character.
qsizetype byteLength(const QString &text);
// True when byte i of s starts a two-byte GBK character.
inline bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
} // namespace Gbk
