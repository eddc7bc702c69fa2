#pragma once
// Text conversion. Records hold UTF-16; in memory we keep UTF-8 extended so
// that unpaired surrogates are encoded as three-byte sequences, which makes
// UTF-16 -> UTF-8 -> UTF-16 lossless for any input.

#include <cstdint>
#include <string>
#include <string_view>

std::string Utf16ToUtf8(std::u16string_view s);
// Invalid byte sequences become U+FFFD; encoded surrogates come back unchanged.
std::u16string Utf8ToUtf16(std::string_view s);
// Number of UTF-16 code units Utf8ToUtf16 would produce.
size_t Utf16Length(std::string_view s);
// Decodes one code point (or encoded surrogate) at s[i], advancing i; U+FFFD on bad input.
char32_t DecodeUtf8(std::string_view s, size_t& i);
void AppendUtf8(std::string& out, char32_t cp);

// ASCII-only case folding, as used for class, property, section and key names.
char AsciiUpper(char c);
std::string AsciiUpper(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Orders by byte after folding ASCII letters to upper case: punctuation before
// digits before letters, deterministic on every machine.
int CompareNoCase(std::string_view a, std::string_view b);
