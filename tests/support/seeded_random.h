#pragma once
// A random generator of one test's own, seeded with a number every failure
// of the test names while the generator lives: a failing run can be
// repeated, and no test's draws depend on another test having run.

#include <gtest/gtest.h>

#include <random>
#include <string>

template <class Engine>
class SeededRandom : public Engine {
public:
    explicit SeededRandom(typename Engine::result_type seed)
        : Engine(seed), trace_(__FILE__, __LINE__, "random generator seed " + std::to_string(seed))
    {}

private:
    ::testing::ScopedTrace trace_;
};
