#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>

class ListSession;

// Notices, while the list is open, that another version of its file was
// put in place (a sync tool renames a new copy over it) and merges it into
// the open list: at once when no dialog of the program is open, otherwise
// as soon as the last one has closed. The folder is watched, since a file
// renamed over is a new file.
class ListWatch : public QObject {
    Q_OBJECT
public:
    // mayMerge says whether no dialog is open; merged runs after a merge
    // changed the listings (the grid shows them anew).
    ListWatch(ListSession& session, std::function<bool()> mayMerge, std::function<void()> merged,
              QObject* parent = nullptr);

    // Looks now, as the watcher would after a change (tests, and a window
    // brought back to the front).
    void check();

private:
    void settleThenCheck();

    ListSession& m_session;
    std::function<bool()> m_mayMerge;
    std::function<void()> m_merged;
    QFileSystemWatcher m_watcher;
    // A sync tool writes in steps (and the list file with its password
    // file): the check waits until the folder has been quiet for a moment.
    QTimer m_quiet;
};
