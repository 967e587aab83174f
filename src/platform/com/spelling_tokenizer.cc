#include "platform/com/spelling_tokenizer.h"

namespace spellchecker {

void AppendUtf8(const char16_t* text, size_t length, std::string* out) {
  size_t index = 0;
  while (index < length) {
    size_t units = 1;
    char32_t code_point = DecodeUtf16At(text, length, index, &units);
    if (code_point == kNoCodePoint) {
      code_point = 0xFFFD;
    }
    index += units;
    if (code_point < 0x80) {
      out->push_back(static_cast<char>(code_point));
    } else if (code_point < 0x800) {
      out->push_back(static_cast<char>(0xC0 | (code_point >> 6)));
      out->push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else if (code_point < 0x10000) {
      out->push_back(static_cast<char>(0xE0 | (code_point >> 12)));
      out->push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else {
      out->push_back(static_cast<char>(0xF0 | (code_point >> 18)));
      out->push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    }
  }
}

}  // namespace spellchecker
