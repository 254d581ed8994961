#include "module/live_objects.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

namespace mapwright {
namespace {

TEST(LiveObjects, FindsByTokenAndKindOnly) {
  LiveObjects registry;
  int reader = 0;
  int document = 0;
  void* readerToken = registry.Add(ObjectKind::kTokenReader, &reader);
  void* documentToken = registry.Add(ObjectKind::kDocument, &document);
  EXPECT_EQ(registry.Find(readerToken, ObjectKind::kTokenReader), &reader);
  EXPECT_EQ(registry.Find(documentToken, ObjectKind::kDocument), &document);
  EXPECT_EQ(registry.Find(readerToken, ObjectKind::kDocument), nullptr);
  EXPECT_EQ(registry.Find(nullptr, ObjectKind::kTokenReader), nullptr);
  EXPECT_EQ(registry.Find(&reader, ObjectKind::kTokenReader), nullptr);  // a real pointer
  EXPECT_NE(reinterpret_cast<std::uintptr_t>(readerToken) & 1, 0u);
  EXPECT_EQ(registry.Count(), 2u);
}

TEST(LiveObjects, ATokenIsNeverIssuedTwice) {
  LiveObjects registry;
  int object = 0;
  std::set<void*> issued;
  std::vector<void*> dead;
  for (int round = 0; round < 1000; ++round) {
    void* token = registry.Add(ObjectKind::kEntity, &object);
    EXPECT_TRUE(issued.insert(token).second) << "round " << round;
    EXPECT_EQ(registry.Remove(token, ObjectKind::kEntity), &object);
    dead.push_back(token);
  }
  void* live = registry.Add(ObjectKind::kEntity, &object);
  for (void* token : dead) {
    EXPECT_EQ(registry.Find(token, ObjectKind::kEntity), nullptr);
    EXPECT_EQ(registry.Remove(token, ObjectKind::kEntity), nullptr);
  }
  EXPECT_EQ(registry.Find(live, ObjectKind::kEntity), &object);
  EXPECT_EQ(registry.Count(), 1u);
}

TEST(LiveObjects, TokensThatNameNoSlotAreRejected) {
  LiveObjects registry;
  int object = 0;
  void* token = registry.Add(ObjectKind::kDocument, &object);
  auto bits = reinterpret_cast<std::uintptr_t>(token);
  for (std::uintptr_t other :
       {bits + 2, bits + 4096, bits | (std::uintptr_t{1} << 40), ~bits | 1}) {
    EXPECT_EQ(registry.Find(reinterpret_cast<void*>(other), ObjectKind::kDocument), nullptr);
  }
}

}  // namespace
}  // namespace mapwright
