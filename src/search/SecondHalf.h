#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <thread>

namespace pagelore::scan {

// A pass over a large article file reads its second half on a thread of its
// own, from a place near the middle that looks like the start of a record.
// The guess holds when the first half's reader, record by record, arrives
// exactly there; otherwise the second reader's work is dropped and the first
// reader goes on alone. So the outcome never depends on the guess, and a
// fault found by the second reader is met again, and told, by the first.

// Where the second part of the open file `fd` starts, about `share` of the
// file before its end; -1 when the file is smaller than sharedFrom() or
// nothing near there looks like a record's start.
qint64 secondHalfStart(int fd, double share = 0.5);
// Files from this size on are shared; the tests share small ones.
qint64 sharedFrom();
void setSharedFrom(qint64 bytes);
// Whether two open files are one (the second reader opens the file again by
// its name, which may by then name another).
bool sameOpenFile(int a, int b);
// What the second reader may hold in memory for the first (beyond it, it
// writes aside); the tests make it small.
qint64 heldInMemory();
void setHeldInMemory(qint64 bytes);

// A job on a thread of its own (the second reader, or any work beside the
// first). The job looks at the flag now and then and returns early once it
// is set; the destructor sets it and waits.
class SideThread {
public:
    using Job = std::function<void(const std::atomic<bool> &stop)>;
    // Starts the job; started() is false when no thread could be had.
    explicit SideThread(Job job);
    ~SideThread();
    SideThread(const SideThread &) = delete;
    SideThread &operator=(const SideThread &) = delete;

    bool started() const { return m_thread.joinable() || m_finished; }
    // Waits until the job has returned.
    void finish();

private:
    std::atomic<bool> m_stop{false};
    bool m_finished = false;
    std::thread m_thread;
};

}  // namespace pagelore::scan
