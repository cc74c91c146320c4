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
    OldContents() = default;
    explicit OldContents(std::initializer_list<QString> paths);
    ~OldContents();
    OldContents(const OldContents &) = delete;
    OldContents &operator=(const OldContents &) = delete;

    // Puts an empty file in place of `path`, with its name and permissions,
    // and keeps the old one here: emptying it in place would give its pages
    // back at once. Only for a regular file of this user's that it may write
    // and that has no other name; false (nothing changed) otherwise or on any
    // failure, and the caller empties the file the ordinary way.
    bool replaceWithEmpty(const QString &path);

    // Lets go of the old contents on a helper thread.
    void releaseLater();
    // Lets go of them now, on this thread.
    void release();

private:
    std::vector<int> m_fds;
};

}  // namespace pagelore
