#pragma once

#include <QString>

#include <vector>

// What a "Web Site/Program" cell holds, and the address it opens (empty:
// none, the cell holds no web site). Shared by the rule's own test and the
// listing window's double-click test.
struct WebAddressCase {
    QString cell;
    QString address;
};

inline const std::vector<WebAddressCase>& webAddressCases()
{
    static const std::vector<WebAddressCase> cases {
        {"www.example.com", "https://www.example.com"},
        {"WWW.Example.COM/Path?q=a b", "https://WWW.Example.COM/Path?q=a b"},
        {"Www.x.org", "https://Www.x.org"},
        {"wWw.", "https://wWw."},
        {"www.a b\tc", "https://www.a b\tc"},
        {QString("  www.padded.net").leftJustified(75), "https://www.padded.net"},
        {QString::fromUtf16(u"www.cut.com\0ignored", 19), "https://www.cut.com"},
        {QString::fromUtf16(u"www.caf\u00e9.fr"), QString::fromUtf16(u"https://www.caf\u00e9.fr")},
        // A full address opens as written, in its own letter case.
        {"https://www.example.com/a?b=c", "https://www.example.com/a?b=c"},
        {"http://www.example.com", "http://www.example.com"},
        {"http://intranet.local:8080/", "http://intranet.local:8080/"},
        {"HTTPS://Example.COM", "HTTPS://Example.COM"},
        {QString("  https://padded.org").leftJustified(75), "https://padded.org"},
        {"https:/one-slash.com", {}},
        {"ftp://files.example.com", {}},
        {"mailto:someone@example.com", {}},
        {"file:///etc/passwd", {}},
        {"httpsx://www.example.com", {}},
        {"example.com", {}},
        {"", {}},
        {"www", {}},
        {"ww.short", {}},
        // Only spaces are trimmed: a tab or a no-break space stays in front.
        {"\twww.tab.com", {}},
        {QString::fromUtf16(u"\u00a0www.x"), {}},
    };
    return cases;
}
