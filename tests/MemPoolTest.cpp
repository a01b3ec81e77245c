// The session's storage: the pools of small objects and the thread that
// makes memory resident ahead of its use.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "MemBuilder.h"
#include "MemPool.h"
#include "MemPrefault.h"
#include "MemSession.h"

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

// Trimming gives back what was made resident ahead of the next block, and
// nothing else: blocks handed out keep their bytes, and the pool goes on
// handing out blocks that can be written after it.
TEST(MemPoolTest, TrimGivesBackOnlyWhatWasAskedAhead) {
  if (MemPool::UsesHeap()) GTEST_SKIP() << "under AddressSanitizer blocks come from the heap";
  constexpr size_t kSize = 4096 + 16;  // a pool of this test's own
  MemPool& pool = MemPool::OfSize(kSize);
  std::vector<char*> blocks;
  const auto fill = [&](int iCount) {
    for (int i = 0; i < iCount; ++i) {
      blocks.push_back(static_cast<char*>(pool.Allocate()));
      std::memset(blocks.back(), static_cast<int>(blocks.size() % 251), kSize);
    }
  };
  const auto resident = [](const char* iAt) {
    const uintptr_t page = reinterpret_cast<uintptr_t>(iAt) & ~uintptr_t{4095};
    unsigned char in = 0;
    return ::mincore(reinterpret_cast<void*>(page), 4096, &in) == 0 && (in & 1) != 0;
  };
  fill(600);  // about 2.4 MiB: the look-ahead asks for the next 2 MiB
  // The start of the huge page after the last block: asked ahead, not
  // handed out. Populated soon where the system can.
  const uintptr_t huge = uintptr_t{2} << 20;
  const char* ahead = reinterpret_cast<const char*>(
      (reinterpret_cast<uintptr_t>(blocks.back() + kSize) + huge - 1) & ~(huge - 1));
  bool populated = false;
  for (int wait = 0; wait < 1000 && !populated && MemPrefault::Instance().Works(); ++wait) {
    populated = resident(ahead);
    if (!populated) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  MemPool::TrimAll();
  if (populated) {
    EXPECT_FALSE(resident(ahead));
  }
  for (size_t i = 0; i < blocks.size(); ++i) {
    ASSERT_EQ(blocks[i][0], static_cast<char>((i + 1) % 251)) << i;
    ASSERT_EQ(blocks[i][kSize - 1], static_cast<char>((i + 1) % 251)) << i;
  }
  fill(600);
  for (size_t i = 0; i < blocks.size(); ++i) {
    ASSERT_EQ(blocks[i][kSize / 2], static_cast<char>((i + 1) % 251)) << i;
  }
  for (char* block : blocks) pool.Free(block);
}

// A session loaded after another is closed lies in memory in the order it
// is walked (each instance after the one before it), as the first did: the
// pools of products and object data start over once every block is free,
// and nothing the host keeps for the life of the process may hold one.
TEST(MemPoolTest, ASessionLoadedAfterAnotherIsLaidOutInWalkOrder) {
  if (MemPool::UsesHeap()) GTEST_SKIP() << "under AddressSanitizer blocks come from the heap";
  std::string text;
  {
    MemSession built;
    MemBuilder build(built);
    MemDocument* document = build.Document("BB.CATProduct", "BB");
    for (int a = 0; a < 4; ++a) {
      MemProduct* assembly = build.Assembly(document->Root(), "Asm" + std::to_string(a) + ".1",
                                            "A" + std::to_string(a));
      for (int p = 0; p < 50; ++p) {
        const std::string name = std::to_string(a * 50 + p);
        build.Part(assembly, "Part" + name + ".1", "P" + name)->Properties().Set("Note", name);
      }
    }
    text = built.SaveToText();
  }
  std::vector<const MemProduct*> order;
  for (int round = 0; round < 2; ++round) {
    MemSession session;
    ASSERT_TRUE(session.LoadFromText(text, "walk.json"));
    MemProduct* root = session.ProductDocuments()[0]->Root();
    order.clear();
    for (MemProduct* assembly : root->Children()) {
      order.push_back(assembly);
      for (MemProduct* part : assembly->Children()) {
        order.push_back(part);
        // A reference below an instance has no object data of its own:
        // reading it reads the empty object data the host keeps.
        EXPECT_EQ(part->Reference()->InstanceName(), "");
      }
    }
    SCOPED_TRACE(round);
    ASSERT_EQ(order.size(), 204u);
    for (size_t i = 1; i < order.size(); ++i) {
      ASSERT_LT(reinterpret_cast<uintptr_t>(order[i - 1]), reinterpret_cast<uintptr_t>(order[i]))
          << i;
    }
  }
}

// Pages asked for become resident without a write of ours, what was
// written before stays, requests that continue or overlap each other are
// taken together, and as many apart requests as the queue holds are all
// kept.
TEST(MemPrefaultTest, MakesAskedPagesResidentAndKeepsTheirContents) {
  MemPrefault& prefault = MemPrefault::Instance();
  if (!prefault.Works()) GTEST_SKIP() << "the system cannot populate on request";
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t pages = 96;
  char* region = static_cast<char*>(
      ::mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(region, MAP_FAILED);
  std::strcpy(region + 3 * page + 5, "kept");
  std::vector<unsigned char> resident(pages);
  // The thread works in the background: wait for it, at most a while.
  auto wait_for = [&](const std::vector<size_t>& iPages) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
      bool all = ::mincore(region, pages * page, resident.data()) == 0;
      for (size_t p : iPages) all = all && (resident[p] & 1);
      if (all || std::chrono::steady_clock::now() > deadline) return all;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  };
  prefault.Want(region, region + 8 * page);
  prefault.Want(region + 8 * page, region + 40 * page);
  prefault.Want(region + 20 * page, region + 48 * page);
  // A range given backwards or empty is ignored.
  prefault.Want(region + page, region);
  prefault.Want(region, region);
  std::vector<size_t> first(48);
  for (size_t p = 0; p < first.size(); ++p) first[p] = p;
  EXPECT_TRUE(wait_for(first));
  // Apart pages, as many as the queue holds, asked at once: all are kept.
  std::vector<size_t> apart;
  for (size_t p = 50; p < 50 + 2 * 16; p += 2) {
    prefault.Want(region + p * page, region + (p + 1) * page);
    apart.push_back(p);
  }
  EXPECT_TRUE(wait_for(apart));
  EXPECT_FALSE(resident[49] & 1);  // never asked, never written
  EXPECT_STREQ(region + 3 * page + 5, "kept");
  EXPECT_EQ(region[10 * page], 0);
  // Left mapped: the thread may still be busy with the last requests.
}

// A child made by fork has no populating thread: it ignores requests
// instead of waiting on a lock the thread may have held.
TEST(MemPrefaultTest, AForkedChildIgnoresRequests) {
  MemPrefault& prefault = MemPrefault::Instance();
  if (!prefault.Works()) GTEST_SKIP() << "the system cannot populate on request";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    char page[64];
    prefault.Want(page, page + sizeof page);
    ::_exit(prefault.Works() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_TRUE(prefault.Works());
}

}  // namespace
