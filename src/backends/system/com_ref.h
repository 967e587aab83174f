#pragma once

#include "platform/com/com_api.h"

namespace spellchecker {

// Owns one COM reference and releases it exactly once: on Reset, before Put hands the slot to a
// call that stores a new reference, or on destruction.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() { Reset(); }

  T* Get() const { return pointer; }
  T* operator->() const { return pointer; }
  explicit operator bool() const { return pointer != nullptr; }

  T** Put() {
    Reset();
    return &pointer;
  }
  // For calls that return the reference through void**.
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  void Reset() {
    if (pointer != nullptr) {
      T* released = pointer;
      pointer = nullptr;
      released->Release();
    }
  }

 private:
  T* pointer = nullptr;
};

// Owns a string that COM allocated for the caller.
class CoTaskString {
 public:
  CoTaskString() = default;
  CoTaskString(const CoTaskString&) = delete;
  CoTaskString& operator=(const CoTaskString&) = delete;
  ~CoTaskString() { Reset(); }

  LPOLESTR Get() const { return text; }
  LPOLESTR* Put() {
    Reset();
    return &text;
  }
  void Reset() {
    if (text != nullptr) {
      CoTaskMemFree(text);
      text = nullptr;
    }
  }

 private:
  LPOLESTR text = nullptr;
};

}  // namespace spellchecker
