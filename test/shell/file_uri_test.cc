#include "shell/file_uri.h"

#include <gtest/gtest.h>

#include <string>

namespace spellchecker {
namespace {

struct UriCase {
  const char* path;
  const char* base_dir;
  const char* uri;
};

TEST(FileUri, EncodesEveryByteOutsideUnreservedAndSlash) {
  const UriCase cases[] = {
      {"/home/user/file.txt", "/ignored", "file:///home/user/file.txt"},
      {"/a b/c#d%e?f", "", "file:///a%20b/c%23d%25e%3Ff"},
      {"/-._~/AZaz09", "", "file:///-._~/AZaz09"},
      {"/zażółć/日本", "", "file:///za%C5%BC%C3%B3%C5%82%C4%87/%E6%97%A5%E6%9C%AC"},
      {"/x+y=z&;,:@!$'()*[]", "", "file:///x%2By%3Dz%26%3B%2C%3A%40%21%24%27%28%29%2A%5B%5D"},
      {"/\x01\x7f\xff", "", "file:///%01%7F%FF"},
  };
  for (const UriCase& c : cases) EXPECT_EQ(FileUri(c.path, c.base_dir), c.uri) << c.path;
}

TEST(FileUri, JoinsARelativePathToTheBaseWithoutResolvingIt) {
  const UriCase cases[] = {
      {"file.txt", "/work dir", "file:///work%20dir/file.txt"},
      {"sub/../link", "/base", "file:///base/sub/../link"},
      {"./x", "/", "file:///./x"},
      {"x", "/base/", "file:///base/x"},
  };
  for (const UriCase& c : cases) EXPECT_EQ(FileUri(c.path, c.base_dir), c.uri) << c.path;
}

}  // namespace
}  // namespace spellchecker
