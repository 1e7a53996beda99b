#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Every test runs in a program folder of its own.
class TempAppDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString path(const QString& name) const;
    bool exists(const QString& name) const;
    QByteArray readFile(const QString& name) const;
    void writeFile(const QString& name, const QByteArray& bytes) const;
    // Writes plain bytes as a ciphered file.
    void writeCiphered(const QString& name, const QByteArray& plain, const QByteArray& key) const;
    // The plain bytes of a ciphered file.
    QByteArray readDeciphered(const QString& name, const QByteArray& key) const;
    // The names of the files in the folder, sorted.
    QStringList files() const;

    QTemporaryDir dir;
};
