#include "core/transfer/csvreader.h"

#include "core/storage/utf8.h"

#include <sodium.h>

#include <cstring>

namespace CsvReader {
namespace {

// The line (from 1) that holds the byte at offset.
int lineAt(QByteArrayView bytes, qsizetype offset)
{
    int line = 1;
    for (qsizetype at = 0; at < offset; ++at) {
        if (bytes[at] == '\n' || (bytes[at] == '\r' && (at + 1 >= bytes.size() || bytes[at + 1] != '\n')))
            ++line;
    }
    return line;
}

// The first line that is not UTF-8; a character never spans a line end.
int firstNonUtf8Line(QByteArrayView bytes)
{
    qsizetype begin = 0;
    while (begin < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', begin);
        if (end < 0)
            end = bytes.size();
        if (!Utf8::isValid(bytes.sliced(begin, end - begin)))
            return lineAt(bytes, begin);
        begin = end + 1;
    }
    return lineAt(bytes, bytes.size());
}

// The header row decides: whichever of the two separators it holds more
// of outside quotes, a comma when even.
char separatorOf(QByteArrayView bytes)
{
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (const char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == ',')
            ++commas;
        else if (c == ';')
            ++semicolons;
        else if (c == '\n' || c == '\r')
            break;
    }
    return semicolons > commas ? ';' : ',';
}

class Parser {
public:
    Parser(QByteArrayView bytes, Table& table)
        : m_p(bytes.data())
        , m_end(bytes.data() + bytes.size())
        , m_table(table)
    {
    }
    // The fields it held are passwords.
    ~Parser() { sodium_memzero(m_buffer.data(), size_t(m_buffer.capacity())); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    void run()
    {
        while (m_p < m_end) {
            Record record;
            record.line = m_line;
            bool anyQuoted = false;
            for (;;) {
                if (m_p < m_end && *m_p == '"') {
                    anyQuoted = true;
                    if (!quotedField(record.fields))
                        return;
                } else {
                    unquotedField(record.fields);
                }
                if (m_p >= m_end)
                    break;
                if (*m_p == m_table.separator) {
                    ++m_p;
                    if (m_p >= m_end) {
                        record.fields.append(QString());
                        break;
                    }
                    continue;
                }
                endOfLine();
                break;
            }
            const bool blank = !anyQuoted && record.fields.size() == 1 && record.fields.front().isEmpty();
            if (blank)
                continue;
            m_table.records.append(std::move(record));
        }
    }

private:
    void endOfLine()
    {
        if (*m_p == '\r') {
            ++m_p;
            if (m_p < m_end && *m_p == '\n')
                ++m_p;
        } else {
            ++m_p; // '\n'
        }
        ++m_line;
    }

    void unquotedField(QStringList& fields)
    {
        const char* begin = m_p;
        const char separator = m_table.separator;
        while (m_p < m_end && *m_p != separator && *m_p != '\n' && *m_p != '\r')
            ++m_p;
        fields.append(QString::fromUtf8(begin, m_p - begin));
    }

    bool quotedField(QStringList& fields)
    {
        const int opened = m_line;
        ++m_p; // the opening quote
        m_buffer.resize(0); // keeps its room: one buffer to wipe at the end
        for (;;) {
            const char* quote = static_cast<const char*>(std::memchr(m_p, '"', size_t(m_end - m_p)));
            if (!quote) {
                m_table.error =
                    QStringLiteral("The quoted field that begins on line %1 has no closing quote.").arg(opened);
                return false;
            }
            countLines(m_p, quote);
            m_buffer.append(m_p, quote - m_p);
            m_p = quote + 1;
            if (m_p < m_end && *m_p == '"') {
                m_buffer.append('"');
                ++m_p;
                continue;
            }
            break;
        }
        // Text after the closing quote is kept, as spreadsheets do.
        const char separator = m_table.separator;
        const char* rest = m_p;
        while (m_p < m_end && *m_p != separator && *m_p != '\n' && *m_p != '\r')
            ++m_p;
        m_buffer.append(rest, m_p - rest);
        fields.append(QString::fromUtf8(m_buffer));
        return true;
    }

    void countLines(const char* begin, const char* end)
    {
        for (const char* at = begin; at < end; ++at) {
            if (*at == '\n' || (*at == '\r' && (at + 1 >= end || at[1] != '\n')))
                ++m_line;
        }
    }

    const char* m_p;
    const char* m_end;
    Table& m_table;
    int m_line = 1;
    QByteArray m_buffer;
};

} // namespace

Table read(QByteArrayView bytes)
{
    Table table;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0) {
        table.error = QStringLiteral("Line %1 holds a NUL character: this is no text file.").arg(lineAt(bytes, nul));
        return table;
    }
    if (!Utf8::isValid(bytes)) {
        table.error = QStringLiteral("Line %1 is not UTF-8 text.").arg(firstNonUtf8Line(bytes));
        return table;
    }
    table.separator = separatorOf(bytes);
    Parser(bytes, table).run();
    if (!table.ok())
        table.records.clear();
    return table;
}

} // namespace CsvReader
