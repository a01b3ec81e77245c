#include "MemFlatIndex.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <unordered_map>
#include <vector>

namespace {

struct Item {
  int key;
};

// A hash with few values, so that runs are long, wrap around the table and
// mix objects of different homes: the cases where erasing must shift.
struct WeakKeys {
  using Key = int;
  static Key KeyOf(const Item* iItem) { return iItem->key; }
  static size_t Hash(const Key& iKey) { return static_cast<size_t>(iKey % 7); }
};

// Random inserts, erases (present and absent) and look-ups agree with a
// std::unordered_map at every step, through growth.
TEST(MemFlatIndexTest, AgreesWithAMapUnderRandomEdits) {
  std::mt19937 random(20261207);
  std::vector<std::unique_ptr<Item>> items;
  for (int key = 0; key < 300; ++key) items.push_back(std::make_unique<Item>(Item{key}));
  MemFlatIndex<Item, WeakKeys> index;
  std::unordered_map<int, Item*> expected;
  for (int step = 0; step < 20000; ++step) {
    Item* item = items[random() % items.size()].get();
    switch (random() % 3) {
      case 0:
        ASSERT_EQ(index.Insert(item), expected.emplace(item->key, item).second) << step;
        break;
      case 1:
        ASSERT_EQ(index.Erase(item), expected.erase(item->key) == 1) << step;
        break;
      default: {
        auto it = expected.find(item->key);
        ASSERT_EQ(index.Find(item->key), it == expected.end() ? nullptr : it->second) << step;
      }
    }
    ASSERT_EQ(index.size(), expected.size()) << step;
  }
  for (const auto& item : items) {
    EXPECT_EQ(index.Find(item->key) != nullptr, expected.count(item->key) == 1) << item->key;
  }
}

// Erase takes out the object given, not another one with the same key.
TEST(MemFlatIndexTest, EraseLeavesAnotherObjectOfTheSameKey) {
  Item first{5}, twin{5};
  MemFlatIndex<Item, WeakKeys> index;
  ASSERT_TRUE(index.Insert(&first));
  EXPECT_FALSE(index.Insert(&twin));
  EXPECT_FALSE(index.Erase(&twin));
  EXPECT_EQ(index.Find(5), &first);
  EXPECT_TRUE(index.Erase(&first));
  EXPECT_EQ(index.Find(5), nullptr);
  EXPECT_EQ(index.size(), 0u);
}

}  // namespace
