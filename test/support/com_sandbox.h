#pragma once

#include <enchant.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "backends/system/com_users.h"
#include "backends/system/system_spell_backend.h"
#include "platform/com/com_testing.h"

namespace spellchecker {

// Every test runs against a fresh Enchant configuration directory that pins the Hunspell
// provider for each tag the tests use, so nothing reads or writes the user's files and the
// answers do not depend on which other providers are installed. After each test the layer must
// hold no object, no registered interface and no COM initialisation.
class ComSandboxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "spell-system-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    config_dir = pattern;
    std::ofstream ordering(config_dir / "enchant.ordering");
    ordering << "*:hunspell\nen:hunspell\nen_US:hunspell\nen_GB:hunspell\nen_AU:hunspell\n"
                "en_CA:hunspell\nxx_TEST:hunspell\n";
    ordering.close();
    // A small dictionary of our own in the user's Hunspell directory, for a second language.
    std::filesystem::create_directory(config_dir / "hunspell");
    for (const char* file : {"xx_TEST.aff", "xx_TEST.dic"}) {
      std::filesystem::copy_file(std::filesystem::path(SPELL_FIXTURES_DIR) / "system" / file,
                                 config_dir / "hunspell" / file);
    }
    ASSERT_EQ(setenv("ENCHANT_CONFIG_DIR", config_dir.c_str(), 1), 0);
    com_testing::ClearFaults();
    com_testing::SetReportedCorrectiveAction(CORRECTIVE_ACTION_GET_SUGGESTIONS);
    ASSERT_EQ(com_testing::LiveObjects(), 0);
  }

  void TearDown() override {
    com_testing::ClearFaults();
    EXPECT_EQ(com_testing::LiveObjects(), 0) << "COM layer objects leaked";
    EXPECT_EQ(com_testing::RegisteredInterfaces(), 0);
    EXPECT_EQ(com_testing::ThreadInitCount(), 0) << "COM left initialised on the test thread";
    EXPECT_EQ(ComUsers::Count(), 0);
    std::error_code ignored;
    std::filesystem::remove_all(config_dir, ignored);
  }

  static int64_t Calls(com_testing::ComCall call) { return com_testing::CallCount(call); }

  std::filesystem::path config_dir;
};

// COM initialised on the current thread for the object's lifetime.
class ComApartment {
 public:
  ComApartment() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() { End(); }
  void End() {
    if (SUCCEEDED(result)) {
      CoUninitialize();
    }
    result = E_FAIL;
  }
  HRESULT result;
};

// Enchant used directly, as the reference the layer is compared against.
class DirectEnchant {
 public:
  explicit DirectEnchant(const std::string& tag = "en_US") : broker(enchant_broker_init()) {
    dict = enchant_broker_request_dict(broker, tag.c_str());
  }
  DirectEnchant(const DirectEnchant&) = delete;
  DirectEnchant& operator=(const DirectEnchant&) = delete;
  ~DirectEnchant() {
    if (dict != nullptr) {
      enchant_broker_free_dict(broker, dict);
    }
    enchant_broker_free(broker);
  }

  std::vector<std::string> Suggest(const std::string& word) {
    std::vector<std::string> result;
    size_t count = 0;
    char** list =
        enchant_dict_suggest(dict, word.data(), static_cast<ssize_t>(word.size()), &count);
    for (size_t i = 0; i < count; ++i) {
      result.emplace_back(list[i]);
    }
    if (list != nullptr) {
      enchant_dict_free_string_list(dict, list);
    }
    return result;
  }

  // The tags a provider other than Aspell serves (the layer never uses Aspell, which aborts
  // the process on some words). Enchant lists a tag once, under its preferred provider, so a
  // tag listed under Aspell is looked up again with the others preferred.
  std::vector<std::string> Tags() {
    using Listed = std::vector<std::pair<std::string, std::string>>;
    const auto list = [this] {
      Listed listed;
      enchant_broker_list_dicts(
          broker,
          [](const char* tag, const char* provider, const char*, const char*, void* data) {
            static_cast<Listed*>(data)->emplace_back(tag, provider);
          },
          &listed);
      return listed;
    };
    for (const auto& [tag, provider] : list()) {
      if (provider == "aspell")
        enchant_broker_set_ordering(broker, tag.c_str(), "hunspell,nuspell");
    }
    std::vector<std::string> tags;
    for (const auto& [tag, provider] : list()) {
      if (provider != "aspell") tags.push_back(tag);
    }
    std::sort(tags.begin(), tags.end());
    tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
    return tags;
  }

  EnchantBroker* broker;
  EnchantDict* dict;
};

}  // namespace spellchecker
