#pragma once
// One running window per program folder, since the folder holds the state files. The lock is an
// advisory lock on a file there: the system lets go of it when its holder ends, however it ends,
// so a crash leaves nothing to take over, and taking it writes nothing and waits for no disk.

#include <QString>

class InstanceLock
{
public:
    enum class State {
        Held,        // this object holds the lock
        HeldByOther, // another process, or another window of this one, holds it
        Unavailable, // the lock file cannot be made (a read-only folder): run without it
    };

    explicit InstanceLock(const QString& path);
    ~InstanceLock(); // lets go and removes the file
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    [[nodiscard]] State state() const { return m_state; }

private:
    QString m_path;
    int m_fd = -1;
    State m_state = State::Unavailable;
};
