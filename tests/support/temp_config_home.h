#pragma once
// Gives each test a store of its own: XDG_CONFIG_HOME points into a fresh
// temporary folder for the test's lifetime.

#include <filesystem>

#include <gtest/gtest.h>

class TempConfigHome : public ::testing::Test {
protected:
    TempConfigHome();
    ~TempConfigHome() override;

    const std::filesystem::path& tempRoot() const { return tempRoot_; }
    const std::filesystem::path& configHome() const { return configHome_; }
    std::filesystem::path storeFile() const { return configHome_ / "Orvantis" / "store.sqlite"; }
    // Points XDG_CONFIG_HOME somewhere else for the rest of the test.
    static void setConfigHome(const std::filesystem::path& folder);

private:
    std::filesystem::path tempRoot_;
    std::filesystem::path configHome_;
};
