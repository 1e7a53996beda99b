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
        {"www.example.com", "http://www.example.com"},
        {"WWW.Example.COM/Path?q=a b", "http://WWW.Example.COM/Path?q=a b"},
        {"Www.x.org", "http://Www.x.org"},
        {"wWw.", "http://wWw."},
        {"www.a b\tc", "http://www.a b\tc"},
        {QString("  www.padded.net").leftJustified(75), "http://www.padded.net"},
        {QString::fromUtf16(u"www.cut.com\0ignored", 19), "http://www.cut.com"},
        {QString::fromUtf16(u"www.caf\u00e9.fr"), QString::fromUtf16(u"http://www.caf\u00e9.fr")},
        {"http://www.example.com", {}},
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
