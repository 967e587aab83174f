#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// First: on Windows it brings in winsock2.h, which must precede windows.h.
#include "host/host_mutex.h"

#include "backends/system/com_ref.h"
#include "platform/com/com_api.h"
#include "spellchecker/spell_backend.h"

namespace spellchecker {

// Misspelled words that `checker` reports in the first `length` units of `text`, in the
// service's order. Empty when `checker` is null or the check fails.
std::vector<WordRange> CollectErrorRanges(ISpellChecker* checker, const char16_t* text,
                                          uint64_t length);

// Spell checking through the operating system's service. Made, used and destroyed on one
// thread (its COM apartment); only MakeRangeChecker may be called from another thread. Each
// live backend counts as a COM user (ComUsers), so while one lives, one made on another thread
// has no factory. Every failure of the service shows as false or an empty list.
class SystemSpellBackend : public SpellBackend {
 public:
  SystemSpellBackend();
  ~SystemSpellBackend() override;

  // Reads only the language; "_" becomes "-". False, with no dictionary in use afterwards,
  // when the service cannot give a checker for it (or has no factory: then nothing changes).
  bool SetDictionary(const std::string& language, const std::string& directory) override;
  // The service's language tags, as it spells them; the directory is not read.
  std::vector<std::string> GetAvailableDictionaries(const std::string& directory) override;
  std::vector<std::string> GetCorrectionsForMisspelling(const std::string& word) override;
  bool IsMisspelled(const std::string& word) override;
  bool IsHunspell() override;
  std::vector<WordRange> FindMisspellings(const char16_t* text, uint64_t length) override;
  void Add(const std::string& word) override;
  // The service offers no removal; does nothing.
  void Remove(const std::string& word) override;
  // Initialises COM on the calling thread and fetches a checker of its own for the current
  // language; without a dictionary (or on failure) the result finds nothing.
  std::unique_ptr<RangeChecker> MakeRangeChecker() override;

  // False when the service cannot be reached; such a backend never gets a dictionary.
  bool HasFactory() const { return static_cast<bool>(factory); }

 private:
  uv_mutex_t mutex;  // held around each single call on the global interface table
  bool mutex_ready = false;
  ComRef<IGlobalInterfaceTable> global_table;
  // Non-zero exactly when checker is set. Atomic because MakeRangeChecker reads it on another
  // thread before it takes the mutex.
  std::atomic<DWORD> checker_cookie{0};
  ComRef<ISpellChecker> checker;
  ComRef<ISpellCheckerFactory> factory;
};

// Checks text on the thread that made it, with its own checker for the language that was
// current then. Used and destroyed on that thread, before the backend that made it.
class SystemRangeChecker : public RangeChecker {
 public:
  explicit SystemRangeChecker(SystemSpellBackend* backend);
  ~SystemRangeChecker() override;

  std::vector<WordRange> FindMisspellings(const char16_t* text, uint64_t length) override;

 private:
  friend class SystemSpellBackend;

  HRESULT com_result;  // this object's CoInitializeEx; negative when it made none
  ComRef<ISpellChecker> checker;
};

}  // namespace spellchecker
