// UTF-8 (portable code) to UTF-16 (Win32) and back.
#ifndef HARMOLAB_APP_TEXT_WIN_H
#define HARMOLAB_APP_TEXT_WIN_H

#include <string>

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

#endif
