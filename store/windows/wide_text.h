#pragma once
// UTF-8 text to and from the UTF-16 of the wide Windows functions. Bytes
// that are not UTF-8 become U+FFFD.

#include <string>

std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);
