#pragma once
// One session per folder owns its journal: a second one, ending last, would overwrite the
// first one's entries. The lock is an flock on a file beside the journal, so the kernel drops
// it when its holder dies and a crashed session never blocks the next; two windows of one
// process exclude each other too, since each opens the file anew.

#include <QString>

namespace torvel {

class JournalLock {
public:
    enum class Result {
        Taken,
        HeldElsewhere,  // another session in this folder holds it
        Failed,         // the lock file cannot be opened or locked; `error` says why
    };

    JournalLock() = default;
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;
    ~JournalLock() { Release(); }

    Result Take(const QString& lockFileName, QString* error = nullptr);
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace torvel
