#include "support/tempappdir.h"

#include "core/storage/filecipher.h"
#include "core/storage/module1.h"
#include "core/storage/safewrite.h"

#include <QDir>
#include <QFile>

void TempAppDirTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    Module1::SetAppDir(dir.path());
}

void TempAppDirTest::TearDown()
{
    SafeWrite::setWriteBudgetForTesting(-1);
    SafeWrite::setFailingStepForTesting(0);
    SafeWrite::setStepHookForTesting({});
    // A read-only folder would outlive the test.
    setWritable({}, true);
}

const DataFolder& TempAppDirTest::folder() const
{
    return Module1::Folder;
}

void TempAppDirTest::restartFolder() const
{
    Module1::SetAppDir(dir.path());
}

QString TempAppDirTest::path(const QString& name) const
{
    return dir.filePath(name);
}

bool TempAppDirTest::exists(const QString& name) const
{
    return QFile::exists(path(name));
}

QByteArray TempAppDirTest::readFile(const QString& name) const
{
    QFile file(path(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(name);
    return file.readAll();
}

void TempAppDirTest::writeFile(const QString& name, const QByteArray& bytes) const
{
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(name);
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void TempAppDirTest::writeCiphered(const QString& name, const QByteArray& plain, const QByteArray& key) const
{
    writeFile(name, CipherBytes(plain, key));
}

QByteArray TempAppDirTest::readDeciphered(const QString& name, const QByteArray& key) const
{
    return CipherBytes(readFile(name), key);
}

QStringList TempAppDirTest::files() const
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void TempAppDirTest::clearFolder() const
{
    for (const QString& name : files())
        QFile::remove(path(name));
}

QMap<QString, QByteArray> TempAppDirTest::snapshot() const
{
    QMap<QString, QByteArray> contents;
    for (const QString& name : files()) {
        QFile file(path(name));
        contents.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
    }
    return contents;
}

void TempAppDirTest::setWritable(const QString& name, bool writable) const
{
    const QString target = name.isEmpty() ? dir.path() : path(name);
    QFile::Permissions permissions = QFile::ReadOwner;
    if (name.isEmpty())
        permissions |= QFile::ExeOwner;
    if (writable)
        permissions |= QFile::WriteOwner;
    QFile::setPermissions(target, permissions);
}
