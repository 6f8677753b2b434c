#pragma once

#include <QString>

// A machine-wide (per user session) named guard that lets one copy of the
// program run. The operating system drops the guard when the process ends,
// however it ends, so a crashed copy never blocks the next start.
class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const QString &name);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // True when another process holds the guard of the same name.
    bool alreadyRunning() const { return m_alreadyRunning; }

private:
    bool m_alreadyRunning = false;
#ifdef _WIN32
    void *m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};
