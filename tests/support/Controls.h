#pragma once
#include <QTest>
#include <QWidget>
#include <stdexcept>
#include <string>

// A window's control found by its object name, as accessibility tools and stored settings find
// it; a missing one fails the test.
template <class T = QWidget> T *control(const QObject &window, const char *name) {
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found) throw std::runtime_error(std::string("no control named ") + name + " of that type");
    return found;
}

// A left click in the middle of a control, as the user gives it.
inline void click(QWidget *target) { QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center()); }
