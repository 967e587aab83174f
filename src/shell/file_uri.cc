#include "shell/file_uri.h"

namespace spellchecker {
namespace {

bool IsUnreservedOrSlash(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~' ||
         byte == '/';
}

void AppendEncoded(std::string& out, const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  for (unsigned char byte : bytes) {
    if (IsUnreservedOrSlash(byte)) {
      out += static_cast<char>(byte);
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
}

}  // namespace

std::string FileUri(const std::string& path, const std::string& base_dir) {
  std::string uri = "file://";
  if (path.empty() || path[0] != '/') {
    AppendEncoded(uri, base_dir);
    if (base_dir.empty() || base_dir.back() != '/') uri += '/';
  }
  AppendEncoded(uri, path);
  return uri;
}

}  // namespace spellchecker
