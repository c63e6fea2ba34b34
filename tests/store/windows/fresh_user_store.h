#pragma once
// Each test starts and ends without the program's keys in the registry of
// the user: the settings and associations and the file types of the data
// files. Meant for the throwaway Wine prefix the tests run in.

#include <gtest/gtest.h>

class FreshUserStore : public ::testing::Test {
protected:
    FreshUserStore();
    ~FreshUserStore() override;
};

// Removes the program's keys; used by the fixture.
void removeProgramKeys();
