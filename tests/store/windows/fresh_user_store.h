#pragma once
// Each test's store of its own: for the test's lifetime HKEY_CURRENT_USER of
// this process stands for an empty scratch key below the real one, so tests
// in parallel processes never meet and the user's own keys stay untouched.

#include <gtest/gtest.h>

#include <string>

class FreshUserStore : public ::testing::Test {
protected:
    FreshUserStore();
    ~FreshUserStore() override;

private:
    std::wstring scratchPath_;
    void* scratchKey_ = nullptr; // the HKEY, without <windows.h> in this header
};

// Removes the program's keys from the real HKEY_CURRENT_USER: the settings,
// the associations and the data files' types. For tests that let the program
// use the real keys, one at a time (a throwaway Wine prefix).
void removeProgramKeys();
