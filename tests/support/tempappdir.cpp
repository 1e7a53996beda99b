#include "support/tempappdir.h"

#include "storage/filecipher.h"
#include "storage/module1.h"
#include "storage/safewrite.h"

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
    SafeWrite::setFailingReplacementForTesting(0);
    SafeWrite::setFailingRemovalForTesting(0);
    SafeWrite::setStepHookForTesting({});
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
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}
