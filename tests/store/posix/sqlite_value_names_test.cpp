// Value names are bytes to the SQLite store: only ASCII letters meet their
// other case.

#include "store/reg_def.h"
#include "temp_config_home.h"

namespace {

class SqliteValueNames : public TempConfigHome {};

TEST_F(SqliteValueNames, LettersBeyondAsciiKeepTheirCase)
{
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenPath("\\SOFTWARE\\Sorvenhal\\Orvantis\\Settings", true));
    reg.WriteText("\xC4rger", "upper"); // Latin-1 A with diaeresis
    EXPECT_EQ(reg.ReadTextOr("\xE4rger", "absent"), "absent");
    EXPECT_EQ(reg.ReadTextOr("\xC4RGER", "absent"), "upper");
}

} // namespace
