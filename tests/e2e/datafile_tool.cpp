// Test-only helper for the end-to-end script: shows a data file's plain
// bytes, so the script can check what the program wrote without a copy of
// the cipher in shell.
#include "core/storage/filecipher.h"

#include <QByteArray>
#include <QFile>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[1], "decipher") != 0) {
        std::fprintf(stderr, "usage: datafile_tool decipher FILE KEY\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "datafile_tool: %s: %s\n", argv[2], qPrintable(file.errorString()));
        return 1;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        std::fprintf(stderr, "datafile_tool: %s: %s\n", argv[2], qPrintable(file.errorString()));
        return 1;
    }
    // The key goes in as raw bytes, the way the program encodes its keys.
    const QByteArray plain = CipherBytes(data, QByteArrayView(argv[3], qsizetype(std::strlen(argv[3]))));
    if (!plain.isEmpty() && std::fwrite(plain.constData(), 1, size_t(plain.size()), stdout) != size_t(plain.size()))
        return 1;
    return std::fflush(stdout) == 0 ? 0 : 1;
}
