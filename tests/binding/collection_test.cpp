// Any host call may run a collection, and a finalizer may collect a document
// or parse it again. For every document, entity and block method, and for every host
// call it makes, the document is collected (or parsed anew) right then: the
// method must neither touch freed memory (the sanitized build checks) nor
// return anything but what it returns undisturbed, nothing, or a failure
// (nil and a message).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bindings/live_objects.h"
#include "bindings/script_api.h"
#include "fake_host.h"

namespace mapwright::testing {
namespace {

const char kMap[] =
    "world\n{\n\"classname\" \"worldspawn\"\n}\n"
    "entity\n{\n\"id\" \"2\"\n\"classname\" \"logic_relay\"\n\"targetname\" \"relay1\"\n"
    "connections\n{\n\"OnTrigger\" \"relay1,Open,,0,-1\"\n}\n}\n";

enum class Disturbance { kCollect, kParseAgain };

// Arguments that make each method do its work, tried in turn.
std::vector<std::vector<FakeValue>> ArgumentSets() {
  return {{FakeValue::Number(0), FakeValue::Number(2)},
          {FakeValue::Number(2), FakeValue::Number(0)},
          {FakeValue::String("classname"), FakeValue::String("t,Open")},
          {FakeValue::String("logic_relay"), FakeValue::Number(3)},
          {FakeValue::String("relay1"), FakeValue::String(kMap)}};
}

class Session {
 public:
  Session() {
    host.Table("Mapwright");
    gmod_open(&host);
    document = host.Invoke(host.Member("Mapwright", "VMF")).at(0);
    host.Invoke(host.Method("VMF", "Parse"), {document, FakeValue::String(kMap)});
    entity = host.Invoke(host.Method("VMF", "Entity"), {document, FakeValue::Number(0)}).at(0);
    block = host.Invoke(host.Method("VMFEntity", "Block"), {entity}).at(0);
  }
  ~Session() {
    host.collector = nullptr;
    host.Invoke(host.Method("VMF", "__gc"), {document});
    gmod_close();
  }

  // Calls the method with the disturbance at host call number `at` (none
  // when negative); whether the disturbance happened.
  std::vector<FakeValue> Call(NativeFunction method, const FakeValue& self,
                              const std::vector<FakeValue>& args, Disturbance disturbance, int at,
                              bool& disturbed) {
    int calls = 0;
    disturbed = false;
    host.collector = [&] {
      if (calls++ != at) return;
      disturbed = true;
      if (disturbance == Disturbance::kCollect) {
        host.Invoke(host.Method("VMF", "__gc"), {document});
      } else {
        host.Invoke(host.Method("VMF", "Parse"), {document, FakeValue::String(kMap)});
      }
    };
    std::vector<FakeValue> all{self};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<FakeValue> results = host.Invoke(method, all);
    host.collector = nullptr;
    return results;
  }

  FakeHost host;
  FakeValue document;
  FakeValue entity;
  FakeValue block;

  const FakeValue& Self(const std::string& meta) const {
    return meta == "VMFEntity" ? entity : meta == "VMFBlock" ? block : document;
  }
};

bool SameValues(const std::vector<FakeValue>& a, const std::vector<FakeValue>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].type != b[i].type || a[i].text != b[i].text || a[i].number != b[i].number) {
      return false;
    }
  }
  return true;
}

TEST(Collection, AtEveryHostCallOfEveryMethod) {
  const std::size_t liveBefore = TheLiveObjects().Count();
  int disturbedCalls = 0;
  for (const ScriptMetaTable& table : MetaTables()) {
    const std::string meta = table.meta.name;
    if (meta == "TokenReader") continue;
    for (const ScriptFunction& method : table.methods) {
      for (const std::vector<FakeValue>& args : ArgumentSets()) {
        std::vector<FakeValue> undisturbed;
        {
          Session session;
          bool disturbed = false;
          undisturbed = session.Call(method.function, session.Self(meta), args,
                                     Disturbance::kCollect, -1, disturbed);
        }
        for (Disturbance disturbance : {Disturbance::kCollect, Disturbance::kParseAgain}) {
          for (int at = 0;; ++at) {
            Session session;
            bool disturbed = false;
            std::vector<FakeValue> results =
                session.Call(method.function, session.Self(meta), args, disturbance, at, disturbed);
            if (!disturbed) break;
            ++disturbedCalls;
            bool handle = !results.empty() && results[0].type == FakeValue::Type::kUserData;
            bool failure = results.size() == 2 && results[0].type == FakeValue::Type::kNil &&
                           results[1].type == FakeValue::Type::kString;
            EXPECT_TRUE(results.empty() || handle || failure || SameValues(results, undisturbed))
                << table.meta.name << ":" << method.name << " at host call " << at;
          }
        }
      }
    }
  }
  EXPECT_GT(disturbedCalls, 100);
  EXPECT_EQ(TheLiveObjects().Count(), liveBefore);
}

}  // namespace
}  // namespace mapwright::testing
