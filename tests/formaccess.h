#pragma once

#include <QObject>
#include <QString>

#include <cstdio>
#include <cstdlib>

// A control of a window by its objectName, the name the form gives it. A
// name the form does not have ends the test at once, naming it, rather than
// leaving a null pointer to crash on later.
template <class T> T *control(const QObject &window, const char *name) {
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found) {
        std::fprintf(stderr, "no control named %s of the expected type\n", name);
        std::abort();
    }
    return found;
}
