#pragma once

#include <QString>
#include <QWidget>

// A control of a window by its objectName, as the form names it; null when
// the window has no such control of that kind.
template <class T> T *control(QWidget &window, const char *name) {
    return window.findChild<T *>(QString::fromLatin1(name));
}
