#pragma once

#include "core/storage/datafolder.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"' << QString::fromLatin1(bytes).toStdString() << "\" (" << bytes.size() << " bytes)";
}

// Every test runs in a program folder of its own.
class TempAppDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The data folder the program would use here (the test's own folder).
    const DataFolder& folder() const;
    // Sets the folder up again, as a new start does (links resolved anew).
    void restartFolder() const;
    QString path(const QString& name) const;
    bool exists(const QString& name) const;
    QByteArray readFile(const QString& name) const;
    void writeFile(const QString& name, const QByteArray& bytes) const;
    // Writes plain bytes as a ciphered file.
    void writeCiphered(const QString& name, const QByteArray& plain, const QByteArray& key) const;
    // The plain bytes of a ciphered file.
    QByteArray readDeciphered(const QString& name, const QByteArray& key) const;
    // Removes every file from the folder.
    void clearFolder() const;
    // The names of the files in the folder, sorted.
    QStringList files() const;
    // Every file's name with its bytes, to compare the folder before and
    // after an action.
    QMap<QString, QByteArray> snapshot() const;
    // Makes name (a file, or "" for the folder) read-only or writable again.
    void setWritable(const QString& name, bool writable) const;

    QTemporaryDir dir;
};
