#pragma once

#include "core/options/options.h"
#include "core/storage/storageresult.h"

#include <QString>

// The options file of a program folder: read once, written whole and
// atomically whenever a choice changes. The file never stops the program:
// one that is missing, unreadable or damaged gives the defaults, and a
// write that fails (a read-only folder) leaves the choice for this run only.
class OptionsStore {
public:
    // Reads "vellamar.ini" in appDir (which ends with a separator).
    explicit OptionsStore(const QString& appDir);

    const QString& path() const { return m_path; }
    const Options& options() const { return m_options; }

    // Takes changed options and writes them when they differ from what the
    // file holds; the result is for tests, the program goes on either way.
    StorageResult update(const Options& changed);

    // The options of the file at path; the defaults for anything unreadable.
    static Options read(const QString& path);

private:
    QString m_path;
    Options m_options;
    Options m_onDisk; // what the file holds, as far as it is known
};
