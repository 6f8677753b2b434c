#include "singleinstance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// flock() rather than a lock file with a PID in it: the kernel releases the
// lock when the descriptor closes, including on a crash or kill -9.
SingleInstanceGuard::SingleInstanceGuard(const QString &name) {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    const QByteArray path =
        QFile::encodeName(dir + QLatin1Char('/') + name + QStringLiteral(".lock"));
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return; // cannot guard: let this copy run rather than refuse to start
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno == EWOULDBLOCK)
        m_alreadyRunning = true;
}

SingleInstanceGuard::~SingleInstanceGuard() {
    if (m_fd >= 0)
        ::close(m_fd);
}
