#pragma once

#include "core/listings/listingrules.h"
#include "core/transfer/importplan.h"

#include <QString>

// What an import will do, told before anything changes. Lines break at a
// carriage return, as in every message box.
namespace ImportSummary {

// The refused rows named one by one up to this many, then counted.
inline constexpr int kRefusedNamed = 20;

// n in the user's way of writing numbers, and the words after it, singular
// for one ("1 row is", "2 rows are").
QString counted(qsizetype n, const char* one, const char* many);

// shownName names the file; taken says which columns make the listings.
QString text(const ImportPlan::Plan& plan, ListingRules::Format format, const QString& shownName, const QString& taken);

} // namespace ImportSummary
