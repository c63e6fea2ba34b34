#include "sample_files.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> splitCrLfLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (auto end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size())
        lines.push_back(text.substr(start)); // an unterminated rest shows up as a line
    return lines;
}

std::string smallCalibrationText()
{
    return "[ID]\r\n12345\r\n"
           "[A]\r\nEd\r\nuW/cm^2/nm\r\n1.0\r\n0,3\r\n4,7\r\n8\r\n"
           "1,0.0,0.00123,1.3\r\n8,0.5,0.00125,1.3\r\n1,1.0,0.00127,1.3\r\n"
           "[A WAVE]\r\n350.0\r\n3.3\r\n-0.0001\r\n"
           "[A NLTABLE]\r\n0,1000\r\n0.0\r\n12.5\r\n"
           "[A TIME]\r\n0.0\r\n";
}
