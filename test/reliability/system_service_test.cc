// Words that once ended the process inside the Linux spelling service: with Debian's default
// Enchant ordering, Aspell served en_US and aborted on an assertion when asked for suggestions
// for "aaaa", or when a word of a few thousand letters was added; and Enchant itself asked GLib
// for terabytes (an abort) to check a word of a megabyte of non-ASCII letters.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/com/com.h"

namespace spellchecker {
namespace {

class SystemServiceRegression : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/reliability-enchant-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    setenv("ENCHANT_CONFIG_DIR", dir.c_str(), 1);
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ISpellCheckerFactory* factory = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_SpellCheckerFactory, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ISpellCheckerFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    ASSERT_EQ(factory->CreateSpellChecker(u"en-US", &checker), S_OK);
    factory->Release();
  }

  void TearDown() override {
    if (checker) checker->Release();
    CoUninitialize();
    std::remove((dir + "/en_US.dic").c_str());
    std::remove((dir + "/en_US.exc").c_str());
    rmdir(dir.c_str());
  }

  // Drains and frees the suggestions; their count.
  size_t CountSuggestions(const std::u16string& word) {
    IEnumString* list = nullptr;
    if (FAILED(checker->Suggest(word.c_str(), &list))) return 0;
    size_t count = 0;
    LPOLESTR entry = nullptr;
    while (list->Next(1, &entry, nullptr) == S_OK) {
      CoTaskMemFree(entry);
      ++count;
    }
    list->Release();
    return count;
  }

  std::string dir;
  ISpellChecker* checker = nullptr;
};

TEST_F(SystemServiceRegression, SuggestionsForRepeatedLettersDoNotAbort) {
  for (size_t length : {1, 4, 20, 100, 300}) {
    CountSuggestions(std::u16string(length, u'a'));
  }
  EXPECT_GT(CountSuggestions(u"helo"), 0u);
}

TEST_F(SystemServiceRegression, AddingVeryLongWordsDoesNotAbort) {
  for (size_t length : {1100, 10000, 65536}) {
    const std::u16string word(length, u'b');
    EXPECT_TRUE(SUCCEEDED(checker->Add(word.c_str())));
    EXPECT_TRUE(SUCCEEDED(checker->Ignore(word.c_str())));
  }
  EXPECT_EQ(CountSuggestions(u"hello"), 0u);  // still a working, correct checker
}

TEST_F(SystemServiceRegression, HugeWordsAreMisspelledWithoutSuggestions) {
  for (char16_t letter : {u'a', u'\u0105'}) {
    const std::u16string word(512 * 1024, letter);
    IEnumSpellingError* errors = nullptr;
    ASSERT_EQ(checker->Check(word.c_str(), &errors), S_OK);
    ISpellingError* error = nullptr;
    ASSERT_EQ(errors->Next(&error), S_OK);
    ULONG start = 1, length = 0;
    EXPECT_EQ(error->get_StartIndex(&start), S_OK);
    EXPECT_EQ(error->get_Length(&length), S_OK);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(length, word.size());
    error->Release();
    EXPECT_NE(errors->Next(&error), S_OK);
    errors->Release();
    EXPECT_EQ(CountSuggestions(word), 0u);
  }
}

}  // namespace
}  // namespace spellchecker
