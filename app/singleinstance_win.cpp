#include "singleinstance.h"

#include "gbk.h"

#include <windows.h>

// A named mutex, its name in code page 936. Windows closes the handle when
// the process ends, which releases the guard.
SingleInstanceGuard::SingleInstanceGuard(const QString &name) {
    const QByteArray gbkName = gbk::encode(name);
    m_handle = ::CreateMutexA(nullptr, FALSE, gbkName.constData());
    m_alreadyRunning = ::GetLastError() == ERROR_ALREADY_EXISTS; // 183
}

SingleInstanceGuard::~SingleInstanceGuard() {
    if (!m_handle)
        return;
    if (m_alreadyRunning)
        ::ReleaseMutex(m_handle);
    ::CloseHandle(m_handle);
}
