#include "app/processhardening.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif
#ifdef Q_OS_MACOS
#include <sys/ptrace.h>
#include <sys/types.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#include <aclapi.h>
#endif

namespace ProcessHardening {

void apply()
{
    // Each step is best effort: a system that refuses one still runs the
    // program, as it did before.
#ifdef Q_OS_LINUX
    // Not dumpable: /proc/PID/mem and ptrace are refused to processes of the
    // same user (root keeps its power), and the kernel writes no core.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
#ifdef Q_OS_MACOS
    // The nearest thing: a debugger may not attach.
    ptrace(PT_DENY_ATTACH, 0, nullptr, 0);
#endif
#ifdef Q_OS_UNIX
    // No core file even where the system dumps processes that are not
    // dumpable (suid_dumpable 2), or where nothing else stops it.
    const struct rlimit none = {0, 0};
    setrlimit(RLIMIT_CORE, &none);
#endif
#ifdef Q_OS_WIN
    // An empty access list on the process: other processes of the same user
    // can no longer open it to read its memory or debug it (its owner could
    // still rewrite the list, an administrator can always debug). Windows
    // writes crash dumps only when the user configured it for every program.
    ACL empty;
    if (InitializeAcl(&empty, sizeof(empty), ACL_REVISION))
        SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT,
                        DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, &empty,
                        nullptr);
#endif
}

} // namespace ProcessHardening
