#pragma once

#include <napi.h>

#include <string>

namespace spellchecker {

// Throws the plain Error "Bad argument." when the call has no argument at all. Presence is
// decided by the count, so an explicit undefined is an argument.
void RequireArgument(const Napi::CallbackInfo& info);

// A string argument read as UTF-8. Nothing is coerced: anything but a string primitive throws
// the host's error for the failed read ("A string was expected"). A string of up to
// kReusedBytes goes into the caller's reused buffer, whose capacity then carries over to the
// next call; a longer one into storage of this object's own, so one huge string does not stay
// allocated.
class Utf8Argument {
 public:
  static constexpr size_t kReusedBytes = 256;

  Utf8Argument(const Napi::Value& value, std::string* reused);
  // Always into storage of its own.
  explicit Utf8Argument(const Napi::Value& value) : Utf8Argument(value, nullptr) {}
  // A value that stands in for an argument not passed.
  explicit Utf8Argument(std::string fallback) : own(std::move(fallback)) {}

  Utf8Argument(const Utf8Argument&) = delete;
  Utf8Argument& operator=(const Utf8Argument&) = delete;

  const std::string& str() const { return reused != nullptr ? *reused : own; }

 private:
  std::string* reused = nullptr;  // set when the text went into the caller's buffer
  std::string own;
};

}  // namespace spellchecker
