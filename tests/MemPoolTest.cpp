// The session's storage: the pools of small objects and the sorted text
// maps of product properties.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "MemPool.h"
#include "MemTextMap.h"

namespace {

// Blocks in use are distinct; a freed block is handed out again while
// others live; once every block is free the pool starts over from its
// first chunk, in the same order, across chunks.
TEST(MemPoolTest, StartsOverInOrderOnceEveryBlockIsFree) {
  if (MemPool::UsesHeap()) GTEST_SKIP() << "under AddressSanitizer blocks come from the heap";
  // A size no class of the session uses, so the pool is this test's own;
  // 3 000 blocks of it fill more than one chunk.
  MemPool& pool = MemPool::OfSize(4000);
  std::vector<void*> first;
  for (int i = 0; i < 3000; ++i) first.push_back(pool.Allocate());
  EXPECT_EQ(std::set<void*>(first.begin(), first.end()).size(), first.size());
  for (void* block : first) EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);

  pool.Free(first[10]);
  EXPECT_EQ(pool.Allocate(), first[10]);

  // Freed in an order that scatters the free list.
  for (size_t i = 0; i < first.size(); i += 2) pool.Free(first[i]);
  for (size_t i = 1; i < first.size(); i += 2) pool.Free(first[i]);
  for (size_t i = 0; i < first.size(); ++i) ASSERT_EQ(pool.Allocate(), first[i]) << i;
  for (void* block : first) pool.Free(block);
}

// Random sets, inserts, erases and look-ups agree with a std::map at every
// step, and iteration gives the same entries in the same order.
TEST(MemTextMapTest, AgreesWithAMapUnderRandomEdits) {
  std::mt19937 random(20261207);
  MemTextMap map;
  std::map<std::string, std::string> expected;
  for (int step = 0; step < 5000; ++step) {
    const std::string name = "k" + std::to_string(random() % 40);
    const std::string value = std::to_string(step);
    switch (random() % 4) {
      case 0:
        map[name] = value;
        expected[name] = value;
        break;
      case 1:
        ASSERT_EQ(map.emplace(name, value).second, expected.emplace(name, value).second) << step;
        break;
      case 2:
        ASSERT_EQ(map.erase(name), expected.erase(name)) << step;
        break;
      default: {
        auto it = expected.find(name);
        ASSERT_EQ(map.count(name), expected.count(name)) << step;
        if (it != expected.end()) {
          ASSERT_EQ(map.at(name), it->second) << step;
        }
      }
    }
    ASSERT_EQ(map.size(), expected.size()) << step;
  }
  EXPECT_EQ(std::vector<MemTextMap::value_type>(map.begin(), map.end()),
            std::vector<MemTextMap::value_type>(expected.begin(), expected.end()));
  EXPECT_THROW(map.at("absent"), std::out_of_range);
}

}  // namespace
