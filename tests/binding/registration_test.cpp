#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bindings/host_pointer.h"
#include "fake_host.h"

namespace mapwright::testing {
namespace {

std::vector<std::string> ExpectedRegistration() {
  std::vector<std::string> calls = {"GetGlobal Mapwright"};
  for (const char* name : {"ReadFile", "WriteFile", "TokenReader", "VMF"}) {
    calls.push_back(std::string("SetMemberFunction Mapwright.") + name);
  }
  calls.push_back("UnReference Mapwright");
  const char* tokens[] = {"TOKEN_ERROR",  "TOKEN_NONE",   "TOKEN_EOF",        "TOKEN_OPERATOR",
                          "TOKEN_NUMBER", "TOKEN_STRING", "TOKEN_IDENTIFIER", "TOKEN_COMMENT"};
  for (int i = 0; i < 8; ++i) {
    calls.push_back(std::string("SetGlobalNumber ") + tokens[i] + " " + std::to_string(i));
  }
  calls.insert(calls.end(),
               {"GetMetaTable TokenReader 2002", "SetMemberFunction TokenReader.__gc",
                "SetMemberObject TokenReader.__index TokenReader",
                "SetMemberFunction TokenReader.ReadToken", "UnReference TokenReader",
                "GetMetaTable VMFEntity 2004", "SetMemberObject VMFEntity.__index VMFEntity"});
  for (const char* name : {"Key", "KeyCount", "Connection", "ConnectionCount", "Class", "ID",
                           "AddKey", "AddConnection", "FindKey", "ConnectionParts", "SetKey",
                           "RemoveKey", "RemoveConnection", "__gc", "SetConnection", "Block"}) {
    calls.push_back(std::string("SetMemberFunction VMFEntity.") + name);
  }
  calls.insert(calls.end(), {"UnReference VMFEntity", "GetMetaTable VMF 2003",
                             "SetMemberFunction VMF.__gc", "SetMemberObject VMF.__index VMF"});
  for (const char* name : {"Parse",           "CreateEntity",  "Rename",
                           "Entity",          "EntityCount",   "WorldKey",
                           "FindWorldKey",    "WorldKeyCount", "FindByClass",
                           "FindByName",      "FindByID",      "FindNextByName",
                           "FindNextByClass", "Text",          "SetWorldKey",
                           "RemoveEntity",    "Load",          "Save",
                           "BlockCount",      "Block",         "FindBlock",
                           "Prefix",          "Transform",     "Merge",
                           "Replace",         "Count"}) {
    calls.push_back(std::string("SetMemberFunction VMF.") + name);
  }
  calls.insert(calls.end(),
               {"UnReference VMF", "GetMetaTable VMFBlock 2005", "SetMemberFunction VMFBlock.__gc",
                "SetMemberObject VMFBlock.__index VMFBlock"});
  for (const char* name :
       {"Name", "Line", "KeyCount", "Key", "FindKey", "KeyLine", "AddKey", "SetKey", "RemoveKey",
        "SetValue", "BlockCount", "Block", "FindBlock", "AddBlock", "RemoveBlock"}) {
    calls.push_back(std::string("SetMemberFunction VMFBlock.") + name);
  }
  calls.push_back("UnReference VMFBlock");
  return calls;
}

TEST(Registration, ExactSequenceAndEveryHandleGivenBack) {
  FakeHost host;
  host.Table("Mapwright");
  EXPECT_EQ(gmod_open(&host), 0);
  EXPECT_EQ(host.log, ExpectedRegistration());
  EXPECT_EQ(host.liveHandles, 0);
  EXPECT_EQ(HostPointer(), &host);
  EXPECT_EQ(gmod_close(), 0);
  EXPECT_EQ(HostPointer(), nullptr);
}

TEST(Registration, MembersAreFunctionsAndOtherMembersStay) {
  FakeHost host;
  host.Table("Mapwright").members["Version"] = FakeValue::String("keep");
  gmod_open(&host);
  FakeTable& library = host.Table("Mapwright");
  for (const char* name : {"ReadFile", "WriteFile", "TokenReader", "VMF"}) {
    EXPECT_NE(library.members[name].native, nullptr) << name;
  }
  EXPECT_EQ(library.members["Version"].text, "keep");
  // "__index" of each metatable is the metatable itself.
  for (const char* meta : {"TokenReader", "VMF", "VMFEntity", "VMFBlock"}) {
    EXPECT_EQ(host.MetaTable(meta)->members["__index"].table, host.MetaTable(meta));
  }
  // An entity handle's finalizer tells the registry that one value holding
  // its token is gone.
  EXPECT_NE(host.MetaTable("VMFEntity")->members["__gc"].native, nullptr);
  gmod_close();
}

TEST(Registration, SecondOpenRepeatsTheRegistration) {
  FakeHost host;
  host.Table("Mapwright");
  gmod_open(&host);
  std::size_t first = host.log.size();
  gmod_open(&host);
  EXPECT_EQ(host.log.size(), 2 * first);
  EXPECT_TRUE(std::equal(host.log.begin(), host.log.begin() + first, host.log.begin() + first));
  gmod_close();
}

TEST(Registration, NativeFunctionsDoNothingAfterClose) {
  FakeHost host;
  host.Table("Mapwright");
  gmod_open(&host);
  NativeFunction construct = host.Member("Mapwright", "TokenReader");
  gmod_close();
  host.log.clear();
  EXPECT_TRUE(host.Invoke(construct, {FakeValue::String("a")}).empty());
  EXPECT_TRUE(host.log.empty());
}

}  // namespace
}  // namespace mapwright::testing
