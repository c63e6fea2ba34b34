#pragma once
// An open NetCDF file, closed when it goes, and the failure of a library
// call as an exception carrying the library's text and the system's reason.

#include <cstddef>
#include <stdexcept>
#include <string>

class NcError : public std::runtime_error {
public:
    NcError(const std::string& text, int systemError) : std::runtime_error(text), systemError_(systemError) {}
    int systemError() const { return systemError_; }

private:
    int systemError_;
};

// Throws NcError when status is not NC_NOERR; `what` names the step.
void ncCheck(int status, const char* what);

class NcFile {
public:
    // Creates a NetCDF-4 classic model file at path, replacing what is there.
    explicit NcFile(const std::string& path);
    ~NcFile();
    NcFile(const NcFile&) = delete;
    NcFile& operator=(const NcFile&) = delete;

    int id() const { return id_; }
    // Closes the file, writing out what the library holds; throws NcError.
    void close();

private:
    int id_ = -1;
};

// Attributes of a variable, or of the file with NC_GLOBAL; throw NcError.
void putTextAttribute(int file, int variable, const char* name, const std::string& text);
void putIntAttribute(int file, int variable, const char* name, int value);
void putDoublesAttribute(int file, int variable, const char* name, const double* values, int count);

// Stores the variable in chunks of the given sizes (one per dimension),
// shuffled and deflated; throws NcError.
void storeCompressed(int file, int variable, const std::size_t* chunkSizes);
