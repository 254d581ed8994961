// Decodes the input into a sequence of script calls and runs them through the
// recording fake host: documents and readers made, parsed, renamed, queried by
// index, name, class and id, extended, their blocks walked and edited, collected; handles that went
// stale and objects of the wrong kind passed anywhere; parse-failure callbacks, from every kind of
// report, that re-enter the module. Afterwards every object is collected: the registry of live
// objects must be back where it started and every handle given back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bindings/live_objects.h"
#include "bindings/script_api.h"
#include "fake_host.h"

namespace {

using mapwright::testing::FakeHost;
using mapwright::testing::FakeValue;

void Check(bool condition) {
  if (!condition) std::abort();
}

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Done() const { return position_ >= size_; }
  std::uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
  double Number() {
    switch (Byte() % 8) {
      case 0:
        return -1;
      case 1:
        return 2147483647.0;
      case 2:
        return 0.0 / 0.0 > 0 ? 0 : __builtin_nan("");
      case 3:
        return __builtin_inf();
      default:
        return static_cast<double>(static_cast<std::int8_t>(Byte()));
    }
  }
  std::string Text() {
    static const char* const kPieces[] = {"entity\n{\n",
                                          "}\n",
                                          "world\n{\n",
                                          "connections\n{\n",
                                          "\"targetname\" ",
                                          "\"classname\" ",
                                          "\"id\" ",
                                          "\"door\" ",
                                          "\"door2\" ",
                                          "\"t,Open,,0,-1\" ",
                                          "\"t\x1bIn\x1bp\" ",
                                          "\"nocomma\" ",
                                          "\"\" ",
                                          "solid\n{\n",
                                          "1-2 ",
                                          "// c\n",
                                          "\"door,Open",
                                          "= ",
                                          "{\n",
                                          "hidden\n{\n",
                                          "side\n{\n"};
    std::string text;
    for (int count = Byte() % 24; count > 0; --count) text += kPieces[Byte() % 21];
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

class Session {
 public:
  Session(FakeHost& host, Input& input) : host_(host), input_(input) {
    values_ = {FakeValue::Nil(), FakeValue::Number(7), FakeValue::String("x"),
               FakeValue::UserData(&host), FakeValue::UserData(reinterpret_cast<void*>(3))};
    // A collection at a chosen host call: a finalizer that collects an
    // object or parses a document anew under the running method.
    host_.collector = [this] {
      if (collectIn_ < 0 || collectIn_-- > 0) return;
      if (input_.Byte() % 2 == 0) {
        host_.Invoke(Doc("__gc"), {Pick()});
      } else {
        host_.Invoke(Doc("Parse"), {Pick(), FakeValue::String(input_.Text())});
      }
    };
  }
  ~Session() { host_.collector = nullptr; }

  void Run(int depth) {
    for (int steps = 0; steps < 64 && !input_.Done(); ++steps) Step(depth);
  }

  void CollectEverything() {
    for (const FakeValue& value : values_) {
      host_.Invoke(Doc("__gc"), {value});
      host_.Invoke(host_.Method("TokenReader", "__gc"), {value});
    }
  }

 private:
  NativeFunction Doc(const char* name) { return host_.Method("VMF", name); }
  NativeFunction Ent(const char* name) { return host_.Method("VMFEntity", name); }
  const FakeValue& Pick() { return values_[input_.Byte() % values_.size()]; }
  void Keep(const std::vector<FakeValue>& results) {
    for (const FakeValue& result : results) {
      // Every object made is kept, so that the end of the run can collect it.
      if (result.type == FakeValue::Type::kUserData) values_.push_back(result);
    }
  }
  FakeValue Arg() {
    switch (input_.Byte() % 4) {
      case 0:
        return FakeValue::String(input_.Text());
      case 1:
        return FakeValue::Number(input_.Number());
      case 2:
        return Pick();
      default:
        return FakeValue::String("door");
    }
  }

  // A registered method of the named metatable, chosen by the input.
  NativeFunction AnyMethod(const char* meta) {
    for (const mapwright::ScriptMetaTable& table : mapwright::MetaTables()) {
      if (std::strcmp(table.meta.name, meta) == 0) {
        return table.methods[input_.Byte() % table.methods.size()].function;
      }
    }
    return nullptr;
  }

  void Step(int depth) {
    switch (input_.Byte() % 12) {
      case 0:
        Keep(host_.Invoke(host_.Member("Mapwright", "VMF")));
        break;
      case 1:
        Keep(host_.Invoke(host_.Member("Mapwright", "TokenReader"),
                          {FakeValue::String(input_.Text())}));
        break;
      case 2: {
        // Parsed, then written: whatever the reports' callbacks did, the text
        // comes from inside the document's own.
        FakeValue document = Pick();  // a copy: callbacks may add values
        host_.Invoke(Doc("Parse"), {document, FakeValue::String(input_.Text())});
        host_.Invoke(Doc("Text"), {document});
        break;
      }
      case 3:
        Keep(host_.Invoke(Doc("CreateEntity"), {Pick(), Arg(), Arg()}));
        break;
      case 4:
        Keep(host_.Invoke(AnyMethod("VMF"), {Pick(), Arg(), Arg()}));
        break;
      case 5:
        Keep(host_.Invoke(AnyMethod("VMFEntity"), {Pick(), Arg(), Arg()}));
        break;
      case 11:
        Keep(host_.Invoke(AnyMethod("VMFBlock"), {Pick(), Arg(), Arg()}));
        break;
      case 6:
        host_.Invoke(host_.Method("TokenReader", "ReadToken"), {Pick()});
        break;
      case 7:
        host_.Invoke(input_.Byte() % 2 ? Doc("__gc") : host_.Method("TokenReader", "__gc"),
                     {Pick()});
        break;
      case 8:
        InstallCallback(depth);
        break;
      case 9:
        collectIn_ = input_.Byte() % 8;
        break;
      default:
        host_.SetGlobal("VMFParseFailure", FakeValue::Nil());
        break;
    }
  }

  // A parse-failure callback that runs a few decoded calls of its own,
  // re-entering the module while a parse is under way.
  void InstallCallback(int depth) {
    if (depth >= 2) return;
    host_.SetGlobal("VMFParseFailure",
                    FakeValue::Function([this, depth](const std::vector<FakeValue>&) {
                      // A callback that parses again is called again: Lua
                      // bounds such nesting, and so does this.
                      if (callbacksRunning_ >= kMostNestedCallbacks)
                        return std::vector<FakeValue>{};
                      ++callbacksRunning_;
                      for (int steps = input_.Byte() % 4; steps > 0 && !input_.Done(); --steps) {
                        Step(depth + 1);
                      }
                      --callbacksRunning_;
                      return std::vector<FakeValue>{};
                    }));
  }

  FakeHost& host_;
  Input& input_;
  std::vector<FakeValue> values_;
  int collectIn_ = -1;  // host calls until the next collection; none when negative
  static constexpr int kMostNestedCallbacks = 8;
  int callbacksRunning_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t liveBefore = mapwright::TheLiveObjects().Count();
  {
    FakeHost host;
    host.Table("Mapwright");
    gmod_open(&host);
    Input input(data, size);
    Session session(host, input);
    session.Run(0);
    host.collector = nullptr;
    host.SetGlobal("VMFParseFailure", FakeValue::Nil());
    session.CollectEverything();
    if (host.liveHandles != 0) std::fprintf(stderr, "live handles %d\n", host.liveHandles);
    Check(host.liveHandles == 0);
    gmod_close();
  }
  if (mapwright::TheLiveObjects().Count() != liveBefore)
    std::fprintf(stderr, "live objects %zu vs %zu\n", mapwright::TheLiveObjects().Count(),
                 liveBefore);
  Check(mapwright::TheLiveObjects().Count() == liveBefore);
  return 0;
}
