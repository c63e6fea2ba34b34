#pragma once
// Reads a NetCDF file back through the NetCDF C library for the tests;
// every failure of the library is a test failure naming the step.

#include <string>
#include <vector>

class NcReader {
public:
    explicit NcReader(const std::string& path);
    ~NcReader();
    NcReader(const NcReader&) = delete;
    NcReader& operator=(const NcReader&) = delete;

    bool hasVariable(const std::string& name) const;
    // The length of a dimension, and whether it is the unlimited one.
    std::size_t dimensionLength(const std::string& name) const;
    bool isUnlimited(const std::string& name) const;

    // A 1-D variable's values whole, converted by the library.
    std::vector<double> doubles(const std::string& variable) const;
    // Row `row` of a 2-D variable.
    std::vector<float> row(const std::string& variable, std::size_t row) const;

    // A text attribute ("" for the file's own); empty when it is missing.
    std::string text(const std::string& variable, const std::string& attribute) const;
    bool hasAttribute(const std::string& variable, const std::string& attribute) const;
    // A float attribute's first value.
    float floatAttribute(const std::string& variable, const std::string& attribute) const;
    // Every variable's name.
    std::vector<std::string> variables() const;

private:
    int variable(const std::string& name) const;
    int id_ = -1;
};
