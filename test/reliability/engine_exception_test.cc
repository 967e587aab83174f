// An exception from inside the engine never leaves the backend: from loading it means no
// dictionary, from a check a misspelling, from suggest no suggestions, from add or remove
// nothing; and the same instance answers correctly afterwards. The exceptions are real ones,
// thrown by the engine's own allocations: this executable replaces the global allocation
// functions with ones that fail while a test asks them to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "backends/hunspell/hunspell_backend.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define SPELL_LSAN_DISABLE() __lsan_disable()
#define SPELL_LSAN_ENABLE() __lsan_enable()
#else
#define SPELL_LSAN_DISABLE() (void)0
#define SPELL_LSAN_ENABLE() (void)0
#endif

namespace {

// Allocations of at least this many bytes fail while set; 0 lets every allocation succeed.
thread_local size_t fail_from_size = 0;

void* Allocate(size_t size) {
  if (fail_from_size != 0 && size >= fail_from_size) throw std::bad_alloc();
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, size_t) noexcept { std::free(memory); }

namespace spellchecker {
namespace {

const std::string kFixtures = std::string(SPELL_FIXTURES_DIR) + "/hunspell";

// Fails the allocations of at least `size` bytes made during its lifetime.
class FailingAllocations {
 public:
  explicit FailingAllocations(size_t size) { fail_from_size = size; }
  FailingAllocations(const FailingAllocations&) = delete;
  FailingAllocations& operator=(const FailingAllocations&) = delete;
  ~FailingAllocations() { fail_from_size = 0; }
};

TEST(EngineExceptions, ChecksSuggestionsAddAndRemoveSurviveAThrowingEngine) {
  // No cache: every answer below comes from the engine. Short words need no allocation of the
  // backend's own, so every failing allocation is the engine's.
  HunspellBackend backend(HunspellBackend::Caching::kOff);
  ASSERT_TRUE(backend.SetDictionary("en-TEST", kFixtures));
  {
    const FailingAllocations failing(1);
    EXPECT_TRUE(backend.IsMisspelled("hello"));
    EXPECT_TRUE(backend.GetCorrectionsForMisspelling("helo").empty());
    backend.Add("xyzzy");
    backend.Remove("world");
  }
  EXPECT_FALSE(backend.IsMisspelled("hello"));
  EXPECT_FALSE(backend.IsMisspelled("world"));
  EXPECT_TRUE(backend.IsMisspelled("xyzzy"));
  const std::vector<std::string> corrections = backend.GetCorrectionsForMisspelling("helo");
  EXPECT_NE(std::find(corrections.begin(), corrections.end(), "hello"), corrections.end());
  backend.Add("xyzzy");
  EXPECT_FALSE(backend.IsMisspelled("xyzzy"));
}

TEST(EngineExceptions, ALoadThatThrowsLeavesNoDictionary) {
  HunspellBackend backend(HunspellBackend::Caching::kOff);
  ASSERT_TRUE(backend.SetDictionary("en-TEST", kFixtures));
  ASSERT_TRUE(backend.IsMisspelled("xyzzy"));
  {
    // The engine's affix manager takes more than 64 KiB; the backend's own allocations
    // (paths) are far smaller. The engine leaks what it built before the throw.
    SPELL_LSAN_DISABLE();
    const FailingAllocations failing(64 * 1024);
    EXPECT_FALSE(backend.SetDictionary("en-TEST", kFixtures));
    SPELL_LSAN_ENABLE();
  }
  EXPECT_FALSE(backend.IsMisspelled("xyzzy"));  // no dictionary: every word passes
  EXPECT_TRUE(backend.GetCorrectionsForMisspelling("helo").empty());
  ASSERT_TRUE(backend.SetDictionary("en-TEST", kFixtures));
  EXPECT_TRUE(backend.IsMisspelled("xyzzy"));
  EXPECT_FALSE(backend.IsMisspelled("hello"));
}

}  // namespace
}  // namespace spellchecker
