#include "gui/launch/opendocument.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#else
#include <QProcess>
#endif

namespace {
std::function<int(const QString&)> testHandler;

#ifdef Q_OS_WIN
int handOver(const QString& path)
{
    const QByteArray file = path.toLocal8Bit(); // the ANSI code page
    const auto result = ShellExecuteA(GetDesktopWindow(), "Open", file.constData(), "", "C:\\", SW_SHOWNORMAL);
    return int(reinterpret_cast<INT_PTR>(result));
}
#else
// The shell's convention: above 32 is success.
constexpr int kStarted = 33;
constexpr int kNoAssociation = 31;

int handOver(const QString& path)
{
    // One argument, unchanged: no URL parsing that would re-encode it.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path}) ? kStarted : kNoAssociation;
}
#endif
} // namespace

void setOpenDocumentHandlerForTesting(std::function<int(const QString&)> handler)
{
    testHandler = std::move(handler);
}

int OpenDocument(const QString& path)
{
    if (testHandler)
        return testHandler(path);
    return handOver(path);
}
