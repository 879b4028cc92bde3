#pragma once
// Every bitmap of the program's windows, drawn from scratch.
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>

namespace art {

struct Picture {
    QString name; // file name without ".bmp"
    QImage image;
};

// Where the windows place pictures on the header (client coordinates). Button pictures copy the
// header under them as their background, so they blend in wherever they sit.
namespace at {
constexpr QPoint update{32, 8}, about{112, 8}, exitButton{192, 8};
constexpr QPoint tab1{0, 112}, tab2{88, 112}, tab3{176, 112};
constexpr QPoint query{740, 93}; // the 64 x 23 picture centred in its 72 x 33 control at 736, 88
constexpr QPoint advert{394, 8};
constexpr QPoint codeEdit{440, 95}, nameEdit{608, 95}; // both 121 x 16
constexpr QPoint browse{360, 23}, importGo{392, 23}; // on the import window
} // namespace at

QImage header();
QList<Picture> allPictures();

} // namespace art
