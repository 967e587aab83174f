#pragma once

#include <string>

namespace spellchecker {

// The file:// URI naming `path` (UTF-8 bytes). A relative path is taken against `base_dir`
// by joining the two with "/"; nothing is resolved or normalised, so a symbolic link stays the
// link it names. Every byte outside A-Za-z0-9-._~/ is percent-encoded with upper-case hex, so
// the URI decodes back to exactly those bytes.
std::string FileUri(const std::string& path, const std::string& base_dir);

}  // namespace spellchecker
