// Where the user's store is kept.

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "store/posix/store_location.h"
#include "store/reg_def.h"
#include "temp_config_home.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(StoreLocation, XdgConfigHomeWhenSet)
{
    ScopedEnv xdg("XDG_CONFIG_HOME", "/srv/cfg");
    EXPECT_EQ(userStorePath(), "/srv/cfg/Orvantis/store.sqlite");
}

TEST(StoreLocation, HomeConfigWhenXdgConfigHomeIsUnsetEmptyOrRelative)
{
    ScopedEnv home("HOME", "/home/someone");
    for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/cfg"}) {
        ScopedEnv config("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(userStorePath(), "/home/someone/.config/Orvantis/store.sqlite") << (xdg ? xdg : "unset");
    }
}

class StoreFile : public TempConfigHome {};

TEST_F(StoreFile, IsMadeWhenAKeyIsFirstOpened)
{
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    ASSERT_FALSE(std::filesystem::exists(storeFile()));
    ASSERT_TRUE(reg.OpenPath("\\SOFTWARE\\Sorvenhal\\Orvantis\\Settings", true));
    EXPECT_TRUE(std::filesystem::exists(storeFile()));
}

} // namespace
