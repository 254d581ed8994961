// Nesting has no bound in the format: every job over a document keeps its own
// stack, so each survives a million levels on a thread with a 256 KB stack,
// smaller than servers give their script threads.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "map/edit/merge.h"
#include "map/edit/rename.h"
#include "map/edit/transform.h"
#include "map/model/block_tree.h"
#include "map/read/map_parser.h"
#include "map/write/map_writer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace mapwright::testing {
namespace {

constexpr std::size_t kStack = 256 * 1024;
constexpr int kLevels = 1000000;

// Runs job on a thread of its own with a kStack stack; false when no such
// thread could be made.
bool OnSmallStack(const std::function<void()>& job) {
  auto run = [](void* what) { (*static_cast<const std::function<void()>*>(what))(); };
#ifdef _WIN32
  struct Start {
    static DWORD WINAPI Run(void* what) {
      (*static_cast<const std::function<void()>*>(what))();
      return 0;
    }
  };
  static_cast<void>(run);
  HANDLE thread =
      CreateThread(nullptr, kStack, Start::Run, const_cast<std::function<void()>*>(&job),
                   STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return false;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return true;
#else
  struct Start {
    static void* Run(void* what) {
      (*static_cast<const std::function<void()>*>(what))();
      return nullptr;
    }
  };
  static_cast<void>(run);
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kStack);
  pthread_t thread;
  const bool made = pthread_create(&thread, &attributes, Start::Run,
                                   const_cast<std::function<void()>*>(&job)) == 0;
  pthread_attr_destroy(&attributes);
  if (made) pthread_join(thread, nullptr);
  return made;
#endif
}

std::string Nested(const char* name, const char* pair, int levels) {
  std::string text;
  for (int i = 0; i < levels; ++i) text.append(name).append("\n{\n").append(pair).append("\n");
  return text;
}

// Each document goes before the next is made: a 32-bit process holds them
// one at a time.
TEST(DeepNesting, EveryJobSurvivesAMillionLevels) {
  std::size_t merged = 0, chain = 0;
  bool turned = false, changed = false;
  const std::string text = "world\n{\n" + Nested("solid", "\"id\" \"1\"", kLevels);
  const std::string sides =
      "world\n{\n" + Nested("side", "\"plane\" \"(0 0 0) (1 0 0) (0 1 0)\"", kLevels);
  ASSERT_TRUE(OnSmallStack([&] {
    {
      MapDocument document, other;
      ParseMap(document, "world\n{\n\"id\" \"1\"\n}\n", nullptr);
      ParseMap(other, text, nullptr);
      ReadBlocks(document);
      ReadBlocks(other);
      if (MergeDocument(document, other)) merged = WriteMap(document)->view().size();
      document.Blocks()->RemoveChild(document.Blocks()->Top(), 0);
    }
    {
      MapDocument other;
      ParseMap(other, sides, nullptr);
      ReadBlocks(other);
      turned = static_cast<bool>(TransformDocument(other, {1, 2, 3}, {0, 90, 0}));
      static_cast<void>(RenameEntities(other, "_x"));
      changed = WriteMap(other)->view() != sides;
      other.Clear();
    }
    MapDocument grown;
    ParseMap(grown, "", nullptr);
    ReadBlocks(grown);
    MapBlock* at = &grown.Blocks()->Top();
    for (int i = 0; i < kLevels && at != nullptr; ++i) {
      at = grown.Blocks()->AddChild(*at, "group");
      if (at != nullptr) static_cast<void>(at->AddKey("id", "1"));
    }
    chain = WriteMap(grown)->view().size();
    grown.Blocks()->RemoveChild(grown.Blocks()->Top(), 0);
  }));
  EXPECT_GT(merged, text.size());
  EXPECT_TRUE(turned);
  EXPECT_TRUE(changed);
  // Indentation stops growing with depth: the text grows with its lines.
  EXPECT_GT(chain, static_cast<std::size_t>(kLevels) * 10);
  EXPECT_LT(chain, static_cast<std::size_t>(kLevels) * 200);
}

}  // namespace
}  // namespace mapwright::testing
