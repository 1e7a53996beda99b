#include "core/listings/webaddress.h"
#include "support/tempappdir.h"
#include "support/webaddresscases.h"

namespace {

TEST(WebAddressOf, OpensOnlyWhatStartsWithWww)
{
    for (const WebAddressCase& c : webAddressCases()) {
        const auto address = WebAddressOf(c.cell);
        EXPECT_EQ(address.value_or(QString()), c.address) << qPrintable(c.cell);
        EXPECT_EQ(address.has_value(), !c.address.isEmpty()) << qPrintable(c.cell);
    }
}

} // namespace
