#include "core/transfer/csvwriter.h"

#include "core/storage/utf8.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace CsvWriter {
namespace {

constexpr char kRowEnd[] = "\r\n";

// A field as the user knows it: the list file's pad spaces are no part of
// it. A view, so the value is never copied.
QStringView valueOf(const Listing& listing, const QString& field)
{
    QStringView value(field);
    if (!listing.stamp.hasId()) {
        while (value.endsWith(u' '))
            value.chop(1);
    }
    return value;
}

std::array<QStringView, 3> fieldsOf(const Listing& listing)
{
    return {valueOf(listing, listing.site), valueOf(listing, listing.user), valueOf(listing, listing.password)};
}

qsizetype sizeOfField(QStringView field)
{
    const qsizetype size = Utf8::encodedSize(field, Utf8::Unpaired::Replace);
    return needsQuotes(field) ? size + 2 + field.count(u'"') : size;
}

char* put(char* out, const char* text)
{
    const size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

char* putField(char* out, QStringView field)
{
    if (!needsQuotes(field))
        return Utf8::encode(field, out);
    *out++ = '"';
    for (;;) {
        const qsizetype quote = field.indexOf(u'"');
        if (quote < 0)
            break;
        out = Utf8::encode(field.first(quote), out);
        out = put(out, "\"\"");
        field = field.sliced(quote + 1);
    }
    out = Utf8::encode(field, out);
    *out++ = '"';
    return out;
}

} // namespace

bool needsQuotes(QStringView field)
{
    if (field.startsWith(u' ') || field.endsWith(u' '))
        return true;
    return std::any_of(field.begin(), field.end(),
                       [](QChar c) { return c == u',' || c == u'"' || c == u'\r' || c == u'\n'; });
}

SecretBytes write(const QList<Listing>& listings)
{
    // Sized once and filled in place: no outgrown buffer holds a password.
    qsizetype size = qsizetype(std::strlen(kHeader) + std::strlen(kRowEnd));
    for (const Listing& listing : listings) {
        for (QStringView field : fieldsOf(listing))
            size += sizeOfField(field) + 1; // a comma, or the row's CR
        size += 1; // LF
    }
    SecretBytes csv(size);
    char* out = csv.bytes().data();
    out = put(out, kHeader);
    out = put(out, kRowEnd);
    for (const Listing& listing : listings) {
        const auto fields = fieldsOf(listing);
        for (size_t i = 0; i < fields.size(); ++i) {
            out = putField(out, fields[i]);
            if (i + 1 < fields.size())
                *out++ = ',';
        }
        out = put(out, kRowEnd);
    }
    Q_ASSERT(out == csv.bytes().data() + csv.size());
    return csv;
}

} // namespace CsvWriter
