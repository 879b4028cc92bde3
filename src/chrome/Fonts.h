#pragma once
#include <QFont>

// The faces the windows ask for. "宋体" falls back to a Song (Ming) face where SimSun is absent;
// Tahoma to a Latin sans face.
namespace Fonts {
inline QFont song(int pixelSize) {
    QFont f;
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"),
                   QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    f.setPixelSize(pixelSize);
    return f;
}
// Tahoma 8 point is 11 pixels at 96 dots per inch.
inline QFont tahoma8() {
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")});
    f.setPixelSize(11);
    return f;
}
} // namespace Fonts
