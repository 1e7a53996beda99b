// Writes the start-up record of a new installation, ciphered under the
// start-up key: 25 characters with the first-run marker "TKY" at 7 to 9.
#include "core/storage/datafolder.h"
#include "core/storage/filecipher.h"

#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_startup_record OUTPUT\n");
        return 2;
    }
    const QByteArray record = "VELLA1TKY-V1.0.1-NEWSETUP";
    static_assert(sizeof("VELLA1TKY-V1.0.1-NEWSETUP") - 1 == 25);
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || out.write(CipherBytes(record, kStartupKey)) != record.size() || !out.flush()) {
        std::fprintf(stderr, "make_startup_record: %s\n", qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
