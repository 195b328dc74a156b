#include "app/instancelock.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool sameFile(int fd, const QByteArray& path)
{
    struct stat opened = {};
    struct stat named = {};
    return fstat(fd, &opened) == 0 && stat(path.constData(), &named) == 0
        && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

InstanceLock::InstanceLock(const QString& path)
    : m_path(path)
{
    const QByteArray name = QFile::encodeName(path);
    // A holder that ends removes the file after letting go; a lock taken meanwhile on the removed
    // file would be no lock at all, so it is taken again on the file that now has the name.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            ::close(fd);
            m_state = busy ? State::HeldByOther : State::Unavailable;
            return;
        }
        if (sameFile(fd, name)) {
            m_fd = fd;
            m_state = State::Held;
            return;
        }
        ::close(fd);
    }
}

InstanceLock::~InstanceLock()
{
    if (m_fd < 0)
        return;
    // Removed while still held, so that whoever opens the name next makes a new file.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
}
