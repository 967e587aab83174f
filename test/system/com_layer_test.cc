// The COM layer that stands in for the platform's COM and spell-checking service.

#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "backends/system/com_ref.h"
#include "com_sandbox.h"
#include "text/utf_convert.h"

namespace spellchecker {
namespace {

using com_testing::ComCall;

LPCWSTR Wide(const std::u16string& text) { return text.c_str(); }

std::vector<std::string> Drain(IEnumString* strings) {
  std::vector<std::string> result;
  CoTaskString element;
  while (strings->Next(1, element.Put(), nullptr) == S_OK) {
    result.push_back(Utf16ToUtf8(element.Get()));
  }
  return result;
}

struct Error {
  ULONG start;
  ULONG length;
  bool operator==(const Error& other) const {
    return start == other.start && length == other.length;
  }
};

std::ostream& operator<<(std::ostream& out, const Error& error) {
  return out << "{" << error.start << ", " << error.length << "}";
}

std::vector<Error> Errors(ISpellChecker* checker, const std::u16string& text) {
  std::vector<Error> result;
  ComRef<IEnumSpellingError> errors;
  EXPECT_EQ(checker->Check(Wide(text), errors.Put()), S_OK);
  ComRef<ISpellingError> error;
  while (errors && errors->Next(error.Put()) == S_OK) {
    Error found{0, 0};
    EXPECT_EQ(error->get_StartIndex(&found.start), S_OK);
    EXPECT_EQ(error->get_Length(&found.length), S_OK);
    result.push_back(found);
  }
  return result;
}

class ComLayerTest : public ComSandboxTest {
 protected:
  void MakeFactory() {
    ASSERT_EQ(CoCreateInstance(CLSID_SpellCheckerFactory, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ISpellCheckerFactory, factory.PutVoid()),
              S_OK);
  }
  void MakeChecker(const std::u16string& tag = u"en-US") {
    MakeFactory();
    ASSERT_EQ(factory->CreateSpellChecker(Wide(tag), checker.Put()), S_OK);
  }

  // Registers `checker` in a table of the thread's own, as the backend does.
  void RegisterChecker(ComRef<IGlobalInterfaceTable>* table, DWORD* cookie) {
    ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IGlobalInterfaceTable, table->PutVoid()),
              S_OK);
    ASSERT_EQ((*table)->RegisterInterfaceInGlobal(checker.Get(), IID_ISpellChecker, cookie), S_OK);
  }

  void TearDown() override {
    checker.Reset();
    factory.Reset();
    apartment.End();
    ComSandboxTest::TearDown();
  }

  ComApartment apartment;
  ComRef<ISpellCheckerFactory> factory;
  ComRef<ISpellChecker> checker;
};

TEST_F(ComLayerTest, InitialisationIsCountedPerThread) {
  ASSERT_EQ(apartment.result, S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
  EXPECT_EQ(CoInitializeEx(&apartment, COINIT_APARTMENTTHREADED), E_INVALIDARG);
  EXPECT_EQ(com_testing::ThreadInitCount(), 2);
  std::thread([] {
    EXPECT_EQ(com_testing::ThreadInitCount(), 0);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
    CoUninitialize();  // unbalanced: ignored
    EXPECT_EQ(com_testing::ThreadInitCount(), 0);
  }).join();
  CoUninitialize();
  EXPECT_EQ(com_testing::ThreadInitCount(), 1);
}

TEST_F(ComLayerTest, CreatesOnlyItsTwoClassesAndOnlyOnInitialisedThreads) {
  void* object = &object;
  EXPECT_EQ(
      CoCreateInstance(IID_ISpellChecker, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
      REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                             IID_ISpellChecker, &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  std::thread([] {
    void* object = &object;
    EXPECT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IGlobalInterfaceTable, &object),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
  }).join();
  ComRef<IGlobalInterfaceTable> table;
  EXPECT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IGlobalInterfaceTable, table.PutVoid()),
            S_OK);
  EXPECT_TRUE(table);
  MakeFactory();
  EXPECT_TRUE(factory);
}

TEST_F(ComLayerTest, ReferencesAreCountedAndIdentityIsStable) {
  MakeChecker();
  const int64_t live = com_testing::LiveObjects();
  EXPECT_EQ(checker->AddRef(), 2u);
  EXPECT_EQ(checker->Release(), 1u);
  ComRef<IUnknown> first;
  ComRef<IUnknown> second;
  ASSERT_EQ(checker->QueryInterface(IID_IUnknown, first.PutVoid()), S_OK);
  ASSERT_EQ(checker->QueryInterface(IID_IUnknown, second.PutVoid()), S_OK);
  EXPECT_EQ(first.Get(), second.Get());
  EXPECT_EQ(com_testing::LiveObjects(), live);
  void* other = &other;
  EXPECT_EQ(checker->QueryInterface(IID_ISpellCheckerFactory, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  first.Reset();
  second.Reset();
  checker.Reset();
  EXPECT_LT(com_testing::LiveObjects(), live);
}

TEST_F(ComLayerTest, SupportedLanguagesAreEnchantsDictionariesWithDashes) {
  MakeFactory();
  ComRef<IEnumString> languages;
  ASSERT_EQ(factory->get_SupportedLanguages(languages.Put()), S_OK);
  const std::vector<std::string> tags = Drain(languages.Get());

  std::vector<std::string> expected = DirectEnchant().Tags();
  for (std::string& tag : expected) {
    std::replace(tag.begin(), tag.end(), '_', '-');
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(tags, expected);
  EXPECT_NE(std::find(tags.begin(), tags.end(), "en-US"), tags.end());
  for (const std::string& tag : tags) {
    EXPECT_EQ(tag.find('_'), std::string::npos) << tag;
  }
}

TEST_F(ComLayerTest, IsSupportedNeedsAnExactEntryOfTheList) {
  MakeFactory();
  // Enchant itself would serve en_ZZ from another English dictionary.
  DirectEnchant fallback("en_ZZ");
  EXPECT_NE(fallback.dict, nullptr);

  const std::vector<std::pair<std::u16string, BOOL>> cases = {
      {u"en-US", 1}, {u"en_US", 0}, {u"xx-TEST", 1}, {u"en-ZZ", 0},
      {u"EN-us", 0}, {u"", 0},      {u"en-US-x", 0},
  };
  for (const auto& [tag, supported] : cases) {
    BOOL answer = 2;
    EXPECT_EQ(factory->IsSupported(Wide(tag), &answer), S_OK);
    EXPECT_EQ(answer, supported) << Utf16ToUtf8(tag);
  }
  ComRef<ISpellChecker> unsupported;
  EXPECT_EQ(factory->CreateSpellChecker(u"en-ZZ", unsupported.Put()), E_INVALIDARG);
  EXPECT_FALSE(unsupported);
}

TEST_F(ComLayerTest, CheckerReportsItsTagAsThePlatformSpellsIt) {
  MakeChecker(u"en-US");
  CoTaskString tag;
  ASSERT_EQ(checker->get_LanguageTag(tag.Put()), S_OK);
  EXPECT_EQ(std::u16string(tag.Get()), u"en-US");
}

TEST_F(ComLayerTest, SuggestAnswersSFalseForACorrectWordAndEnchantsListOtherwise) {
  MakeChecker();
  ComRef<IEnumString> suggestions;
  EXPECT_EQ(checker->Suggest(u"hello", suggestions.Put()), S_FALSE);
  ASSERT_TRUE(suggestions);
  EXPECT_TRUE(Drain(suggestions.Get()).empty());

  ASSERT_EQ(checker->Suggest(u"helo", suggestions.Put()), S_OK);
  const std::vector<std::string> expected = DirectEnchant().Suggest("helo");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(Drain(suggestions.Get()), expected);

  EXPECT_EQ(checker->Suggest(u"", suggestions.Put()), E_INVALIDARG);
}

TEST_F(ComLayerTest, EnumStringHandsOutCopiesOneOrManyAtATime) {
  MakeChecker();
  ComRef<IEnumString> suggestions;
  ASSERT_EQ(checker->Suggest(u"wrold", suggestions.Put()), S_OK);
  const std::vector<std::string> all = Drain(suggestions.Get());
  ASSERT_GE(all.size(), 2u);

  ASSERT_EQ(suggestions->Reset(), S_OK);
  LPOLESTR pair[2] = {nullptr, nullptr};
  EXPECT_EQ(suggestions->Next(2, pair, nullptr), E_INVALIDARG);
  ULONG fetched = 0;
  ASSERT_EQ(suggestions->Next(2, pair, &fetched), S_OK);
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(Utf16ToUtf8(pair[0]), all[0]);
  EXPECT_EQ(Utf16ToUtf8(pair[1]), all[1]);
  CoTaskMemFree(pair[0]);
  CoTaskMemFree(pair[1]);
  ASSERT_EQ(suggestions->Skip(1000), S_FALSE);
  LPOLESTR none = &pair[0][0];
  EXPECT_EQ(suggestions->Next(1, &none, nullptr), S_FALSE);
  EXPECT_EQ(none, nullptr);
}

TEST_F(ComLayerTest, CheckReportsMisspelledWordsInUtf16Units) {
  MakeChecker();
  // U+1D400 is a letter outside the Basic Multilingual Plane; U+1F600 is not a letter.
  const std::u16string text = u"I sea a helo, \U0001F600wrold 'thier' don't \U0001D400bc";
  const std::vector<Error> expected = {{8, 4}, {16, 5}, {23, 5}, {36, 4}};
  EXPECT_EQ(Errors(checker.Get(), text), expected);

  ComRef<IEnumSpellingError> errors;
  ASSERT_EQ(checker->Check(u"helo", errors.Put()), S_OK);
  ComRef<ISpellingError> error;
  ASSERT_EQ(errors->Next(error.Put()), S_OK);
  CORRECTIVE_ACTION action = CORRECTIVE_ACTION_NONE;
  EXPECT_EQ(error->get_CorrectiveAction(&action), S_OK);
  EXPECT_EQ(action, CORRECTIVE_ACTION_GET_SUGGESTIONS);
  CoTaskString replacement;
  EXPECT_EQ(error->get_Replacement(replacement.Put()), S_OK);
  EXPECT_EQ(std::u16string(replacement.Get()), u"");
  EXPECT_EQ(errors->Next(error.Put()), S_FALSE);
  EXPECT_FALSE(error);
}

TEST_F(ComLayerTest, CheckEndsAtTheFirstNulAndSkipsLoneSurrogates) {
  MakeChecker();
  const std::u16string text(u"helo\0wrold", 10);
  EXPECT_EQ(Errors(checker.Get(), text), (std::vector<Error>{{0, 4}}));
  const std::u16string surrogates =
      u"cat\xD800"
      u"dog zzq\xDC00"
      u"the \xD800";
  EXPECT_EQ(Errors(checker.Get(), surrogates), (std::vector<Error>{{8, 3}}));
  EXPECT_TRUE(Errors(checker.Get(), u"").empty());
  EXPECT_TRUE(Errors(checker.Get(), u"'' -- 42 ...").empty());
}

TEST_F(ComLayerTest, CheckerWorksOnlyOnItsOwnThread) {
  MakeChecker();
  ISpellChecker* shared = checker.Get();
  std::thread([shared] {
    ComApartment other;
    ComRef<IEnumSpellingError> errors;
    EXPECT_EQ(shared->Check(u"helo", errors.Put()), RPC_E_WRONG_THREAD);
    ComRef<IEnumString> suggestions;
    EXPECT_EQ(shared->Suggest(u"helo", suggestions.Put()), RPC_E_WRONG_THREAD);
    EXPECT_EQ(shared->Add(u"helo"), RPC_E_WRONG_THREAD);
  }).join();
  EXPECT_EQ(Errors(checker.Get(), u"helo"), (std::vector<Error>{{0, 4}}));
}

TEST_F(ComLayerTest, InterfaceTableHoldsOneReferencePerCookie) {
  MakeChecker();
  ComRef<IGlobalInterfaceTable> table;
  DWORD cookie = 0;
  RegisterChecker(&table, &cookie);
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_NE(cookie, 0u);
  EXPECT_EQ(com_testing::RegisteredInterfaces(), 1);
  EXPECT_EQ(checker->AddRef(), 3u);  // ours, the table's, this one
  checker->Release();

  ComRef<ISpellChecker> fetched;
  ASSERT_EQ(table->GetInterfaceFromGlobal(cookie, IID_ISpellChecker, fetched.PutVoid()), S_OK);
  EXPECT_EQ(fetched.Get(), checker.Get());  // same thread: the object itself
  fetched.Reset();

  // The table's reference outlives the creator's.
  ISpellChecker* raw = checker.Get();
  raw->AddRef();
  checker.Reset();
  EXPECT_EQ(raw->Release(), 1u);
  EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), S_OK);
  EXPECT_EQ(com_testing::RegisteredInterfaces(), 0);
  EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), E_INVALIDARG);
  EXPECT_EQ(table->GetInterfaceFromGlobal(cookie, IID_ISpellChecker, fetched.PutVoid()),
            E_INVALIDARG);
  EXPECT_FALSE(fetched);
}

TEST_F(ComLayerTest, InterfaceTableGivesAnotherThreadACheckerOfItsOwn) {
  MakeChecker();
  ComRef<IGlobalInterfaceTable> table;
  DWORD cookie = 0;
  RegisterChecker(&table, &cookie);
  ASSERT_FALSE(HasFatalFailure());
  ISpellChecker* original = checker.Get();
  std::thread([cookie, original] {
    ComRef<IGlobalInterfaceTable> table;
    ComRef<ISpellChecker> fetched;
    {
      ComApartment scratch;
      ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IGlobalInterfaceTable, table.PutVoid()),
                S_OK);
    }
    EXPECT_EQ(table->GetInterfaceFromGlobal(cookie, IID_ISpellChecker, fetched.PutVoid()),
              CO_E_NOTINITIALIZED);

    ComApartment apartment;
    ASSERT_EQ(table->GetInterfaceFromGlobal(cookie, IID_ISpellChecker, fetched.PutVoid()), S_OK);
    ASSERT_TRUE(fetched);
    EXPECT_NE(fetched.Get(), original);
    CoTaskString tag;
    ASSERT_EQ(fetched->get_LanguageTag(tag.Put()), S_OK);
    EXPECT_EQ(std::u16string(tag.Get()), u"en-US");
    EXPECT_EQ(Errors(fetched.Get(), u"a helo"), (std::vector<Error>{{2, 4}}));
    fetched.Reset();
    table.Reset();
  }).join();
  EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), S_OK);
}

TEST_F(ComLayerTest, AddStoresTheWordInThePersonalListOfTheConfigurationDirectory) {
  MakeChecker();
  EXPECT_EQ(Errors(checker.Get(), u"zorblax"), (std::vector<Error>{{0, 7}}));
  ASSERT_EQ(checker->Add(u"zorblax"), S_OK);
  EXPECT_TRUE(Errors(checker.Get(), u"zorblax").empty());
  EXPECT_EQ(checker->Add(u""), E_INVALIDARG);

  std::ifstream personal(config_dir / "en_US.dic");
  ASSERT_TRUE(personal.is_open());
  const std::string content((std::istreambuf_iterator<char>(personal)),
                            std::istreambuf_iterator<char>());
  EXPECT_NE(content.find("zorblax"), std::string::npos);

  // A checker on a broker of its own reads it back.
  checker.Reset();
  factory.Reset();
  MakeChecker();
  EXPECT_TRUE(Errors(checker.Get(), u"zorblax").empty());
}

TEST_F(ComLayerTest, InjectedFaultsReplaceTheAnswerAndCountTheCall) {
  MakeChecker();
  const int64_t checks = Calls(ComCall::kCheck);
  com_testing::SetFault(ComCall::kCheck, E_OUTOFMEMORY);
  ComRef<IEnumSpellingError> errors;
  EXPECT_EQ(checker->Check(u"helo", errors.Put()), E_OUTOFMEMORY);
  EXPECT_FALSE(errors);
  EXPECT_EQ(Calls(ComCall::kCheck), checks + 1);
  com_testing::ClearFaults();
  EXPECT_EQ(checker->Check(u"helo", errors.Put()), S_OK);

  com_testing::SetFault(ComCall::kCreateFactory, REGDB_E_CLASSNOTREG);
  ComRef<ISpellCheckerFactory> second;
  EXPECT_EQ(CoCreateInstance(CLSID_SpellCheckerFactory, nullptr, CLSCTX_INPROC_SERVER,
                             IID_ISpellCheckerFactory, second.PutVoid()),
            REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(second);
}

}  // namespace
}  // namespace spellchecker
