// A control of a window found by its object name, as the tests and tools that drive a window from
// outside reach it. Exactly one child of that type must carry the name: a control renamed, removed
// or named twice throws, naming it, instead of handing out a null or an arbitrary pointer. Test
// programs report the exception as the test's failure.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

template <class T>
T* part(const QObject& window, const char* name) {
    const QList<T*> found = window.findChildren<T*>(QString::fromLatin1(name));
    if (found.size() != 1) {
        throw std::logic_error(window.objectName().toStdString() + " has " +
                               std::to_string(found.size()) + " " +
                               T::staticMetaObject.className() + " named " + name);
    }
    return found.front();
}
