#pragma once
#include <QByteArray>
#include <QString>
#include <array>

// Commodity codes are stored scrambled: byte i of the plain code XOR key byte (i mod 8), written
// as two upper-case hex digits. The scheme is position-wise, so a scrambled prefix is the prefix
// of the scrambled whole and a LIKE 'prefix%' over stored codes finds plain prefixes.
inline constexpr std::array<unsigned char, 8> CodeKey = {0x5E, 0xC3, 0x17, 0xA8, 0x4B, 0x90, 0x2D, 0xF6};

QByteArray ScrambleCode(const QByteArray &plain);
// Throws AppError "'$XY' is not a valid integer value" at the first pair that is not hex.
QByteArray UnscrambleCode(const QByteArray &scrambled);

// Wide-text conveniences: the text travels through GBK on the way in and out.
QString ScrambleCode(const QString &plain);
QString UnscrambleCode(const QString &scrambled);
