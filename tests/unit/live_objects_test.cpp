#include "bindings/live_objects.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

namespace mapwright {
namespace {

TEST(LiveObjects, FindsByTokenAndKindOnly) {
  LiveObjects registry;
  int reader = 0;
  int document = 0;
  void* readerToken = registry.AddBorrowed(ObjectKind::kTokenReader, &reader);
  void* documentToken = registry.AddBorrowed(ObjectKind::kDocument, &document);
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
    void* token = registry.AddBorrowed(ObjectKind::kEntity, &object);
    EXPECT_TRUE(issued.insert(token).second) << "round " << round;
    EXPECT_TRUE(registry.Remove(token, ObjectKind::kEntity));
    dead.push_back(token);
  }
  void* live = registry.AddBorrowed(ObjectKind::kEntity, &object);
  for (void* token : dead) {
    EXPECT_EQ(registry.Find(token, ObjectKind::kEntity), nullptr);
    EXPECT_FALSE(registry.Remove(token, ObjectKind::kEntity));
  }
  EXPECT_EQ(registry.Find(live, ObjectKind::kEntity), &object);
  EXPECT_EQ(registry.Count(), 1u);
}

// Slots never run out: with two generation bits a slot once retired after
// four objects, so 100,000 handles made and dropped would need 25,000 slots.
// A slot is reused only when no value holds its token, so a held stale token
// never names a newer object, however far the generations wrap.
TEST(LiveObjects, SlotsAreReusedForeverButNotWhileATokenIsHeld) {
  LiveObjects registry(2);
  int object = 0;
  void* held = registry.AddBorrowed(ObjectKind::kEntity, &object);
  registry.Hold(held);
  ASSERT_TRUE(registry.Remove(held, ObjectKind::kEntity));
  std::set<std::uintptr_t> slots;
  for (int round = 0; round < 100000; ++round) {
    void* token = registry.AddBorrowed(ObjectKind::kEntity, &object);
    registry.Hold(token);
    ASSERT_NE(token, held) << "round " << round;
    ASSERT_EQ(registry.Find(held, ObjectKind::kEntity), nullptr);
    slots.insert(reinterpret_cast<std::uintptr_t>(token) & ((std::uintptr_t{1} << 20) - 1));
    registry.Release(token);  // the value's finalizer, before or after the removal
    ASSERT_TRUE(registry.Remove(token, ObjectKind::kEntity));
  }
  EXPECT_EQ(slots.size(), 1u);
  registry.Release(held);
  EXPECT_NE(registry.AddBorrowed(ObjectKind::kEntity, &object), nullptr);
}

TEST(LiveObjects, TokensThatNameNoSlotAreRejected) {
  LiveObjects registry;
  int object = 0;
  void* token = registry.AddBorrowed(ObjectKind::kDocument, &object);
  auto bits = reinterpret_cast<std::uintptr_t>(token);
  for (std::uintptr_t other :
       {bits + 2, bits + 4096, bits | (std::uintptr_t{1} << (sizeof(std::uintptr_t) * 8 - 1)),
        ~bits | 1}) {
    EXPECT_EQ(registry.Find(reinterpret_cast<void*>(other), ObjectKind::kDocument), nullptr);
  }
}

// An owned object lives while the registry or a method holds a share, and its
// destructor may remove the tokens of what it lent out.
TEST(LiveObjects, SharesKeepAnObjectAliveAndItsDestructorMayRemoveTokens) {
  LiveObjects registry;
  struct Owner {
    LiveObjects& registry;
    void* lent;
    bool& destroyed;
    ~Owner() {
      EXPECT_TRUE(registry.Remove(lent, ObjectKind::kEntity));
      destroyed = true;
    }
  };
  int part = 0;
  bool destroyed = false;
  void* lent = registry.AddBorrowed(ObjectKind::kEntity, &part);
  void* token =
      registry.Add(ObjectKind::kDocument, std::make_shared<Owner>(registry, lent, destroyed));
  EXPECT_EQ(registry.Share(lent, ObjectKind::kEntity), nullptr);  // borrowed: no share
  std::shared_ptr<void> running = registry.Share(token, ObjectKind::kDocument);
  ASSERT_NE(running, nullptr);
  EXPECT_TRUE(registry.Remove(token, ObjectKind::kDocument));
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(registry.Find(token, ObjectKind::kDocument), nullptr);
  running.reset();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(registry.Find(lent, ObjectKind::kEntity), nullptr);
  EXPECT_EQ(registry.Count(), 0u);
}

}  // namespace
}  // namespace mapwright
