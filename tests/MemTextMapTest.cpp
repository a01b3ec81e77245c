// Texts by name in one block: order and uniqueness under any edits, bytes
// and lengths of every kind, copies, moves and equality.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "MemTextMap.h"

namespace {

using Items = std::vector<std::pair<std::string, std::string>>;

Items ItemsOf(const MemTextMap& iMap) {
  Items items;
  for (const auto& [name, value] : iMap) items.emplace_back(name, value);
  return items;
}

Items ItemsOf(const std::map<std::string, std::string>& iMap) {
  return Items(iMap.begin(), iMap.end());
}

std::string Bytes(const char* iText, size_t iSize) { return std::string(iText, iSize); }

// Random sets, inserts, erases and look-ups on a map that grows to
// thousands of entries agree with a std::map at every step; the names
// and values have every length and byte, so the block's numbers change
// width both ways. The map edited step by step equals one built at once.
TEST(MemTextMapTest, AgreesWithAStdMapUnderRandomEdits) {
  std::mt19937 random(20261207);
  auto text = [&random](size_t iMaxSize) {
    std::string out(random() % (iMaxSize + 1), '\0');
    for (char& c : out) {
      c = static_cast<char>(random() % 4 == 0 ? random() % 256 : 'a' + random() % 3);
    }
    return out;
  };
  MemTextMap map;
  std::map<std::string, std::string> expected;
  for (int step = 0; step < 6000; ++step) {
    const std::string name = random() % 8 == 0 ? text(3) : "k" + std::to_string(random() % 3000);
    // Mostly short values; now and then one that needs 2- or 4-byte numbers.
    const int kind = static_cast<int>(random() % 1000);
    const std::string value = text(kind < 2 ? 70000 : kind < 50 ? 400 : 20);
    // Four in ten steps set, three insert, two erase, one looks up.
    const int operation = static_cast<int>(random() % 10);
    if (operation < 4) {
      map.Set(name, value);
      expected[name] = value;
    } else if (operation < 7) {
      ASSERT_EQ(map.Insert(name, value), expected.emplace(name, value).second) << step;
    } else if (operation < 9) {
      ASSERT_EQ(map.Erase(name), expected.erase(name) == 1) << step;
    } else {
      auto it = expected.find(name);
      std::optional<std::string_view> found = map.Find(name);
      ASSERT_EQ(found.has_value(), it != expected.end()) << step;
      if (found) {
        ASSERT_EQ(*found, it->second) << step;
      }
    }
    ASSERT_EQ(map.size(), expected.size()) << step;
    ASSERT_EQ(map.empty(), expected.empty()) << step;
    if (step % 97 == 0) {
      ASSERT_EQ(ItemsOf(map), ItemsOf(expected)) << step;
    }
  }
  ASSERT_GT(map.size(), 1500u);
  EXPECT_EQ(ItemsOf(map), ItemsOf(expected));
  for (const auto& [name, value] : expected) ASSERT_EQ(map.Find(name), value);
  EXPECT_EQ(map, MemTextMap(expected.begin(), expected.end()));
}

// Names are kept in byte order whatever order they come in: a NUL byte
// sorts before every other byte, a byte above 0x7f after ASCII, a prefix
// before what it begins.
TEST(MemTextMapTest, KeepsNamesInByteOrder) {
  const Items sorted = {{"", "empty name"},
                        {Bytes("\0", 1), "nul"},
                        {"a", ""},
                        {Bytes("a\0", 2), Bytes("x\0y", 3)},
                        {Bytes("a\0b", 3), ""},
                        {"ab", "ab"},
                        {"b", "b"},
                        {"\x7f", "del"},
                        {"\x80", "high"},
                        {"\xff\xff", "highest"}};
  std::vector<size_t> order(sorted.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::mt19937 random(7);
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    std::shuffle(order.begin(), order.end(), random);
    MemTextMap by_set, by_insert;
    for (size_t i : order) {
      by_set.Set(sorted[i].first, sorted[i].second);
      EXPECT_TRUE(by_insert.Insert(sorted[i].first, sorted[i].second));
    }
    EXPECT_EQ(ItemsOf(by_set), sorted);
    EXPECT_EQ(by_set, by_insert);
    for (const auto& [name, value] : sorted) EXPECT_EQ(by_set.Find(name), value);
    EXPECT_EQ(by_set.Find(Bytes("a\0c", 3)), std::nullopt);
  }
}

// One entry changes at a time, through every width of the block's numbers
// and back; its neighbours keep their bytes, and the map ends equal to one
// built directly (the block shrinks back, it does not keep a wider form).
TEST(MemTextMapTest, ReplacesValuesByLongerAndShorterOnes) {
  const std::string big(70000, 'v');  // beyond 64 KiB: 4-byte numbers
  const std::string mid(300, 'm');    // beyond 255: 2-byte numbers
  MemTextMap map = {{"a", "1"}, {"b", "2"}, {"c", "3"}};
  const std::vector<std::string> values = {mid, big, "", "x", big, mid, "22"};
  for (const std::string& value : values) {
    SCOPED_TRACE(value.size());
    map.Set("b", value);
    EXPECT_EQ(ItemsOf(map), (Items{{"a", "1"}, {"b", value}, {"c", "3"}}));
  }
  EXPECT_EQ(map, (MemTextMap{{"a", "1"}, {"b", "22"}, {"c", "3"}}));
  // A name past 64 KiB, and a value that holds the NUL byte only.
  const std::string long_name(66000, 'n');
  map.Set(long_name, Bytes("\0", 1));
  EXPECT_EQ(map.Find(long_name), Bytes("\0", 1));
  EXPECT_EQ(map.size(), 4u);
  EXPECT_TRUE(map.Erase(long_name));
  EXPECT_EQ(map, (MemTextMap{{"a", "1"}, {"b", "22"}, {"c", "3"}}));
}

// Insert never replaces, Erase and Insert say what they did, and an empty
// map has no entries left to walk.
TEST(MemTextMapTest, InsertKeepsAndEraseRemoves) {
  MemTextMap map;
  EXPECT_TRUE(map.Insert("a", "first"));
  EXPECT_FALSE(map.Insert("a", "second"));
  EXPECT_EQ(map.Find("a"), "first");
  EXPECT_FALSE(map.Erase("b"));
  EXPECT_TRUE(map.Erase("a"));
  EXPECT_FALSE(map.Erase("a"));
  EXPECT_TRUE(map.empty());
  EXPECT_EQ(map.begin(), map.end());
  EXPECT_EQ(map, MemTextMap());
  // Of a list's entries with one name, the first is kept.
  EXPECT_EQ(ItemsOf(MemTextMap{{"x", "1"}, {"w", "0"}, {"x", "2"}}),
            (Items{{"w", "0"}, {"x", "1"}}));
}

// A change may take its text from the map itself: the old block is read
// to the end before it goes (AddressSanitizer sees any use after free).
TEST(MemTextMapTest, ChangesMayReadTheMapItself) {
  const std::string long_value(5000, 'q');
  MemTextMap map = {{"a", long_value}, {"b", "short"}};
  map.Set("c", *map.Find("a"));
  map.Set("a", *map.Find("b"));
  EXPECT_TRUE(map.Insert(std::string(*map.Find("b")) + "!", *map.Find("c")));
  const auto [name, value] = *map.begin();
  map.Set(value, name);  // "short" -> "a"
  EXPECT_EQ(ItemsOf(map), (Items{{"a", "short"},
                                 {"b", "short"},
                                 {"c", long_value},
                                 {"short", "a"},
                                 {"short!", long_value}}));
  const MemTextMap before = map;
  map.SetAll(map);
  map.InsertAll(map);
  EXPECT_EQ(map, before);
}

// SetAll takes the other map's values, InsertAll keeps this map's.
TEST(MemTextMapTest, SetAllReplacesInsertAllKeeps) {
  const MemTextMap mine = {{"a", "mine"}, {"c", "mine"}};
  const MemTextMap theirs = {{"b", "theirs"}, {"c", "theirs"}, {"d", "theirs"}};
  MemTextMap set = mine, inserted = mine;
  set.SetAll(theirs);
  inserted.InsertAll(theirs);
  EXPECT_EQ(ItemsOf(set),
            (Items{{"a", "mine"}, {"b", "theirs"}, {"c", "theirs"}, {"d", "theirs"}}));
  EXPECT_EQ(ItemsOf(inserted),
            (Items{{"a", "mine"}, {"b", "theirs"}, {"c", "mine"}, {"d", "theirs"}}));
  MemTextMap empty;
  empty.InsertAll(theirs);
  EXPECT_EQ(empty, theirs);
  set.SetAll(MemTextMap());
  EXPECT_EQ(set.size(), 4u);
}

// Copies are equal and independent; a move leaves the source empty;
// equality looks at every name and value.
TEST(MemTextMapTest, CopiesMovesAndEquality) {
  const MemTextMap original = {{"name", std::string(300, 'x')}, {"other", "o"}};
  MemTextMap copy = original;
  EXPECT_EQ(copy, original);
  copy.Set("name", "y");
  EXPECT_NE(copy, original);
  EXPECT_EQ(original.Find("name"), std::string(300, 'x'));

  MemTextMap assigned;
  assigned = original;
  const MemTextMap& alias = assigned;
  assigned = alias;  // self-assignment keeps the entries
  EXPECT_EQ(assigned, original);
  MemTextMap moved = std::move(assigned);
  EXPECT_EQ(moved, original);
  EXPECT_TRUE(assigned.empty());  // moved from: empty, as the header says
  assigned = std::move(moved);
  EXPECT_EQ(assigned, original);

  const std::vector<std::pair<MemTextMap, MemTextMap>> unequal = {
      {{{"a", "1"}}, {{"a", "2"}}},
      {{{"a", "1"}}, {{"b", "1"}}},
      {{{"a", "1"}}, {{"a", "1"}, {"b", "1"}}},
      {{{"a", ""}}, {}},
      {{{"ab", ""}}, {{"a", "b"}}},
  };
  for (const auto& [left, right] : unequal) {
    SCOPED_TRACE(::testing::PrintToString(ItemsOf(left)));
    EXPECT_NE(left, right);
    EXPECT_FALSE(left == right);
  }
}

}  // namespace
