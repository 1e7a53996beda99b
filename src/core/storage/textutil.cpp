#include "core/storage/textutil.h"

QString StripNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString ChopPadSpaces(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return end == text.size() ? text : text.left(end);
}

QStringView TrimSpacesView(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

QString TrimSpaces(const QString& text)
{
    const QStringView trimmed = TrimSpacesView(text);
    return trimmed.size() == text.size() ? text : trimmed.toString();
}
