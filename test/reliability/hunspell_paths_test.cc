// A dictionary path that cannot name the caller's files must not load anything: a NUL in the
// tag or the directory used to cut the path short, and on Linux a directory opens for reading,
// so SetDictionary answered true with an empty engine that rejected every word.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "backends/hunspell/hunspell_backend.h"

namespace spellchecker {
namespace {

const std::string kFixtures = std::string(SPELL_FIXTURES_DIR) + "/hunspell";

TEST(HunspellPathRegression, PathsThatCannotNameTheFilesLoadNothing) {
  using namespace std::string_literals;
  struct Case {
    const char* what;
    std::string tag;
    std::string directory;
  };
  const Case cases[] = {
      {"tag of a NUL: the word list would be the directory", "\0"s, kFixtures},
      {"NUL after the tag", "en-TEST\0x"s, kFixtures},
      {"NUL in the directory", "en-TEST", kFixtures + "\0/elsewhere"s},
      {"directory cut to a file of its own", "", kFixtures + "/en_TEST.dic\0"s},
  };
  for (const Case& c : cases) {
    HunspellBackend backend;
    ASSERT_TRUE(backend.SetDictionary("en-TEST", kFixtures));
    EXPECT_FALSE(backend.SetDictionary(c.tag, c.directory)) << c.what;
    // Without a dictionary every word passes, the previous dictionary included.
    EXPECT_FALSE(backend.IsMisspelled("xyzzy")) << c.what;
  }
}

TEST(HunspellPathRegression, WordListThatIsADirectoryLoadsNothing) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("reliability-dir-dic-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir / "xx_DIR.dic");
  HunspellBackend backend;
  EXPECT_FALSE(backend.SetDictionary("xx-DIR", dir.string()));
  EXPECT_FALSE(backend.IsMisspelled("anything"));
  std::filesystem::remove_all(dir);
}

TEST(HunspellPathRegression, EmptyWordListStillLoads) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("reliability-empty-dic-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  {
    std::FILE* file = std::fopen((dir / "xx_EMPTY.dic").c_str(), "w");
    std::fclose(file);
  }
  HunspellBackend backend;
  EXPECT_TRUE(backend.SetDictionary("xx-EMPTY", dir.string()));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace spellchecker
