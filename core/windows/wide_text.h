#pragma once
// UTF-8 text to and from the UTF-16 of the wide Windows calls.

#include <string>

std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const std::wstring& text);
