#pragma once

#include <cstddef>
#include <string>

namespace spellchecker {

// UTF-16 to UTF-8 without a platform call: each unpaired surrogate becomes U+FFFD and a NUL unit
// a NUL byte, as the platform's own conversion writes them.

// Encodes [in, end) into [out, out_end). Answers the end of what was written, or null when the
// form does not fit (a character is never split).
char* EncodeUtf8(const char16_t* in, const char16_t* end, char* out, const char* out_end);

// Appends the UTF-8 form of `length` units at `text` to `*out`.
void AppendUtf8(const char16_t* text, size_t length, std::string* out);

}  // namespace spellchecker
