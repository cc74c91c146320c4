#pragma once

#include <QString>

#include <initializer_list>
#include <vector>

namespace pagelore {

// The old contents of files being replaced, held open across the
// replacement. The last reference to a replaced file gives its pages back to
// the system, which takes milliseconds for a large collection; held here,
// that happens on a helper thread rather than while the user waits.
class OldContents {
public:
    explicit OldContents(std::initializer_list<QString> paths);
    ~OldContents();
    OldContents(const OldContents &) = delete;
    OldContents &operator=(const OldContents &) = delete;

    // Lets go of the old contents on a helper thread.
    void releaseLater();

private:
    void release();
    std::vector<int> m_fds;
};

}  // namespace pagelore
