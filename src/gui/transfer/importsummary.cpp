#include "gui/transfer/importsummary.h"

#include <QLocale>
#include <QStringList>

namespace ImportSummary {
namespace {

QString number(qsizetype n)
{
    return QLocale().toString(qint64(n));
}

// A site as the list names it, cut when long.
QString shownSite(const QString& site)
{
    constexpr int kShown = 48;
    if (site.isEmpty())
        return QStringLiteral("(no site)");
    return site.size() > kShown ? site.left(kShown) + QStringLiteral("...") : site;
}

} // namespace

QString counted(qsizetype n, const char* one, const char* many)
{
    return number(n) + u' ' + QString::fromLatin1(n == 1 ? one : many);
}

QString text(const ImportPlan::Plan& plan, ListingRules::Format format, const QString& shownName, const QString& taken)
{
    QStringList lines;
    lines << QStringLiteral("\"%1\": %2.").arg(shownName, taken) << QString();
    lines << QStringLiteral("%1 will be added to your list.").arg(counted(plan.toAdd.size(), "listing", "listings"));
    if (plan.alreadyInList > 0)
        lines << QStringLiteral("%1 already in your list (the same site, user name and password): skipped.")
                     .arg(counted(plan.alreadyInList, "row is", "rows are"));
    if (plan.repeatedInFile > 0)
        lines << QStringLiteral("%1 a row above it in the file: skipped.")
                     .arg(counted(plan.repeatedInFile, "row repeats", "rows repeat"));
    if (plan.notLogins > 0)
        lines << QStringLiteral("%1 not a log-in (a note, a card, an identity...): skipped.")
                     .arg(counted(plan.notLogins, "row is", "rows are"));
    if (plan.empty > 0)
        lines << QStringLiteral("%1 no site, user name or password: skipped.")
                     .arg(counted(plan.empty, "row has", "rows have"));
    if (!plan.refused.isEmpty()) {
        lines << QString()
              << QStringLiteral("%1 cannot be taken (by the line of the file where the row begins):")
                     .arg(counted(plan.refused.size(), "row", "rows"));
        const qsizetype named = std::min<qsizetype>(plan.refused.size(), kRefusedNamed);
        for (qsizetype k = 0; k < named; ++k) {
            const ImportPlan::Refused& r = plan.refused[k];
            lines << QStringLiteral("    line %1: %2 (%3)").arg(number(r.line), shownSite(r.site), r.reason);
        }
        if (plan.refused.size() > named)
            lines << QStringLiteral("    and %1 more.").arg(number(plan.refused.size() - named));
        if (format == ListingRules::Format::ListFile)
            lines << QString::fromUtf16(
                u"The list takes them with strong protection (Tools \u2192 Strong Protection...), "
                "which holds any script and long fields.");
    }
    if (!plan.notTaken.isEmpty()) {
        QStringList columns;
        for (const ImportPlan::NotTaken& c : plan.notTaken)
            columns << QStringLiteral("\"%1\" (%2)")
                           .arg(c.column, counted(c.rows, "row holds a value", "rows hold a value"));
        lines << QString()
              << QStringLiteral("Columns not taken, which the list has no place for: %1.")
                     .arg(columns.join(QStringLiteral(", ")));
    }
    return lines.join(u'\r');
}

} // namespace ImportSummary
