// Conversion between the program's UTF-8 text and the 8-bit code page used on
// the serial line and in files: CP1252 for English, CP932 for Japanese.
#pragma once

#include <string>
#include <string_view>

enum class CodePage { CP1252, CP932 };

// The code page of the link and of files; chosen by the language module.
void SetLinkCodePage(CodePage cp);
CodePage GetLinkCodePage();

// A character the code page cannot carry becomes '?'.
std::string Utf8ToCodePage(std::string_view utf8, CodePage cp);
// Bytes that do not decode become U+FFFD.
std::string CodePageToUtf8(std::string_view bytes, CodePage cp);
// True for the first byte of a double-byte character (CP932: 0x81-0x9F, 0xE0-0xFC).
bool IsLeadByte(CodePage cp, unsigned char byte);
