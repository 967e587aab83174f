#include <errno.h>
#include <iconv.h>

#include <cstring>
#include <utility>

#include "backends/hunspell/dictionary_encoding.h"

namespace spellchecker {
namespace {

// The sets Hunspell knows, by normalized name, with iconv's name for each. ISCII is absent:
// glibc's iconv has no converter for it.
struct NameMapping {
  const char* hunspell;
  const char* iconv;
};
constexpr NameMapping kIconvNames[] = {
    {"iso88591", "ISO-8859-1"},   {"iso88592", "ISO-8859-2"},    {"iso88593", "ISO-8859-3"},
    {"iso88594", "ISO-8859-4"},   {"iso88595", "ISO-8859-5"},    {"iso88596", "ISO-8859-6"},
    {"iso88597", "ISO-8859-7"},   {"iso88598", "ISO-8859-8"},    {"iso88599", "ISO-8859-9"},
    {"iso885910", "ISO-8859-10"}, {"iso885911", "ISO-8859-11"},  {"tis620", "TIS-620"},
    {"tis6202533", "TIS-620"},    {"iso885913", "ISO-8859-13"},  {"iso885914", "ISO-8859-14"},
    {"iso885915", "ISO-8859-15"}, {"koi8r", "KOI8-R"},           {"koi8u", "KOI8-U"},
    {"cp1251", "CP1251"},         {"microsoftcp1251", "CP1251"},
};

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

// Owns one iconv descriptor.
class IconvDescriptor {
 public:
  IconvDescriptor(const char* to, const char* from) : descriptor(iconv_open(to, from)) {}
  IconvDescriptor(const IconvDescriptor&) = delete;
  IconvDescriptor& operator=(const IconvDescriptor&) = delete;
  ~IconvDescriptor() {
    if (valid()) iconv_close(descriptor);
  }

  bool valid() const { return descriptor != kNoDescriptor; }

  // Converts the whole input or fails; no transliteration, so an unrepresentable character
  // fails with EILSEQ instead of being replaced.
  bool Convert(const std::string& input, std::string* output) {
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    // Between UTF-8 and an 8-bit set a character grows at most from one byte to three.
    std::string buffer(input.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(input.data());
    size_t in_left = input.size();
    char* out = &buffer[0];
    size_t out_left = buffer.size();
    while (in_left > 0) {
      if (iconv(descriptor, &in, &in_left, &out, &out_left) != static_cast<size_t>(-1)) continue;
      if (errno != E2BIG) return false;
      const size_t used = buffer.size() - out_left;
      buffer.resize(buffer.size() * 2);
      out = &buffer[used];
      out_left = buffer.size() - used;
    }
    buffer.resize(buffer.size() - out_left);
    *output = std::move(buffer);
    return true;
  }

 private:
  iconv_t descriptor;
};

class IconvEncoding : public DictionaryEncoding {
 public:
  explicit IconvEncoding(const char* name) : from_utf8(name, "UTF-8"), to_utf8("UTF-8", name) {}

  bool valid() const { return from_utf8.valid() && to_utf8.valid(); }

  bool FromUtf8(const std::string& utf8, std::string* encoded) override {
    return from_utf8.Convert(utf8, encoded);
  }
  bool ToUtf8(const std::string& encoded, std::string* utf8) override {
    return to_utf8.Convert(encoded, utf8);
  }

 private:
  IconvDescriptor from_utf8;
  IconvDescriptor to_utf8;
};

}  // namespace

std::unique_ptr<DictionaryEncoding> MakePlatformEncoding(const std::string& normalized_name) {
  for (const NameMapping& mapping : kIconvNames) {
    if (normalized_name != mapping.hunspell) continue;
    auto encoding = std::make_unique<IconvEncoding>(mapping.iconv);
    if (!encoding->valid()) return nullptr;
    return encoding;
  }
  return nullptr;
}

}  // namespace spellchecker
