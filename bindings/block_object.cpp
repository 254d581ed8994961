#include "bindings/block_object.h"

#include <algorithm>
#include <string>

#include "bindings/arguments.h"
#include "bindings/call_outs.h"
#include "bindings/script_values.h"
#include "map/model/block_tree.h"
#include "map/model/map_block.h"

// Every method reads its arguments through ReadArguments, and copies what it
// returns before the first push: any host call may run a collection whose
// finalizers free or parse the block's document anew.
namespace mapwright {
namespace {

using Block = arg::Object<MapBlock, ObjectKind::kBlock>;
using Entity = arg::Object<MapEntity, ObjectKind::kEntity>;

DocumentObject& OwnerOf(const MapBlock& block) {
  return DocumentObject::Of(block.Document());
}

int PushLine(ScriptHost& host, const MapBlock& block, std::optional<std::uint32_t> at) {
  if (!at) return 0;
  host.PushNumber(static_cast<float>(block.Document().LineOf(*at)));
  return 1;
}

// Why the block refused a pair.
const char* PairRefusal(const MapBlock& block) {
  if (block.Role() == BlockRole::kOutputs) {
    return "an output's value must be its target and parameters, separated by commas or the ESC "
           "byte, with no double quote";
  }
  return "a key or value must not hold a double quote";
}

// A method that edits a block with two texts: true, or nil and why not.
int WithTwoTexts(ScriptHost& host, bool (*edit)(MapBlock&, std::string_view, std::string_view)) {
  WrongArgument wrong;
  auto args = ReadArguments<Block, arg::Text, arg::Text>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [block, first, second] = *args;
  if (!edit(*block, first, second)) return PushFailure(host, PairRefusal(*block));
  return PushTrue(host);
}

int NoSuchIndex(ScriptHost& host, const char* what) {
  return PushFailure(host, std::string("no ") + what + " at that index (they count from 0)");
}

}  // namespace

int PushChild(ScriptHost& host, DocumentObject& owner, MapBlock& parent, std::int64_t position) {
  std::optional<std::size_t> index = IndexIn(position, parent.ChildCount());
  if (!index) return 0;
  PushBlock(host, owner, parent.Child(*index));
  return 1;
}

int PushFoundChild(ScriptHost& host, DocumentObject& owner, MapBlock& parent, std::string_view name,
                   std::int64_t start) {
  std::optional<std::size_t> from = IndexIn(std::max<std::int64_t>(start, 0), parent.ChildCount());
  if (!from) return 0;
  std::optional<std::size_t> index = parent.FindChild(name, *from);
  if (!index) return 0;
  PushBlock(host, owner, parent.Child(*index));
  host.PushNumber(static_cast<float>(*index));
  return 2;
}

int BlockName(ScriptHost& host) {
  auto args = ReadArguments<Block>(host);
  if (!args) return 0;
  const std::string name(std::get<0>(*args)->Name());
  host.PushString(name.c_str());
  return 1;
}

int BlockLine(ScriptHost& host) {
  auto args = ReadArguments<Block>(host);
  if (!args) return 0;
  const MapBlock& block = *std::get<0>(*args);
  if (!block.layout.read) return 0;
  return PushLine(host, block, block.layout.at);
}

int BlockKeyCount(ScriptHost& host) {
  auto args = ReadArguments<Block>(host);
  if (!args) return 0;
  return PushCount(host, std::get<0>(*args)->KeyCount());
}

int BlockKey(ScriptHost& host) {
  auto args = ReadArguments<Block, arg::Integer>(host);
  if (!args) return 0;
  auto [block, position] = *args;
  std::optional<std::size_t> index = IndexIn(position, block->KeyCount());
  if (!index) return 0;
  PairText pair = block->Key(*index);
  return PushTwoTexts(host, pair.key, pair.value);
}

int BlockFindKey(ScriptHost& host) {
  auto args = ReadArguments<Block, arg::Text>(host);
  if (!args) return 0;
  auto [block, key] = *args;
  std::optional<std::size_t> index = block->FindKey(key);
  if (!index) return 0;
  PairText pair = block->Key(*index);
  return PushTwoTexts(host, pair.key, pair.value);
}

int BlockKeyLine(ScriptHost& host) {
  auto args = ReadArguments<Block, arg::Integer>(host);
  if (!args) return 0;
  auto [block, position] = *args;
  std::optional<std::size_t> index = IndexIn(position, block->KeyCount());
  if (!index) return 0;
  return PushLine(host, *block, block->KeyAt(*index));
}

int BlockAddKey(ScriptHost& host) {
  return WithTwoTexts(host, [](MapBlock& block, std::string_view key, std::string_view value) {
    return block.AddKey(key, value);
  });
}

int BlockSetKey(ScriptHost& host) {
  return WithTwoTexts(host, [](MapBlock& block, std::string_view key, std::string_view value) {
    return block.SetKey(key, value);
  });
}

// True also when no pair has the key: none is left.
int BlockRemoveKey(ScriptHost& host) {
  WrongArgument wrong;
  auto args = ReadArguments<Block, arg::Text>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [block, key] = *args;
  block->RemoveKey(key);
  return PushTrue(host);
}

int BlockSetValue(ScriptHost& host) {
  WrongArgument wrong;
  auto args = ReadArguments<Block, arg::Integer, arg::Text>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [block, position, value] = *args;
  std::optional<std::size_t> index = IndexIn(position, block->KeyCount());
  if (!index) return NoSuchIndex(host, "pair");
  if (!block->SetValue(*index, value)) return PushFailure(host, PairRefusal(*block));
  return PushTrue(host);
}

int BlockBlockCount(ScriptHost& host) {
  auto args = ReadArguments<Block>(host);
  if (!args) return 0;
  return PushCount(host, std::get<0>(*args)->ChildCount());
}

int BlockBlock(ScriptHost& host) {
  auto args = ReadArguments<Block, arg::Integer>(host);
  if (!args) return 0;
  auto [block, position] = *args;
  return PushChild(host, OwnerOf(*block), *block, position);
}

int BlockFindBlock(ScriptHost& host) {
  auto args = ReadArguments<Block, arg::Text, arg::Integer>(host);
  if (!args) return 0;
  auto [block, name, start] = *args;
  return PushFoundChild(host, OwnerOf(*block), *block, name, start);
}

// A name the format cannot read back as a block name, or a second world or
// outputs block, adds nothing.
int BlockAddBlock(ScriptHost& host) {
  WrongArgument wrong;
  auto args = ReadArguments<Block, arg::Text>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [block, name] = *args;
  DocumentObject& owner = OwnerOf(*block);
  BlockTree* tree = owner.Blocks();
  if (tree == nullptr) return PushFailure(host, "the document is being parsed");
  MapBlock* added = tree->AddChild(*block, name);
  if (added == nullptr) {
    return PushFailure(host,
                       "a block name is a word of letters, digits and _ that starts with no digit; "
                       "a second world or connections block, or a block inside a connections "
                       "block, is refused");
  }
  PushBlock(host, owner, *added);
  return 1;
}

// The child goes with everything inside it: the handles of its blocks and
// entities die, every other stays.
int BlockRemoveBlock(ScriptHost& host) {
  WrongArgument wrong;
  auto args = ReadArguments<Block, arg::Integer>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [block, position] = *args;
  DocumentObject& owner = OwnerOf(*block);
  BlockTree* tree = owner.Blocks();
  if (tree == nullptr) return PushFailure(host, "the document is being parsed");
  std::optional<std::size_t> index = IndexIn(position, block->ChildCount());
  if (!index) return NoSuchIndex(host, "block");
  tree->RemoveChild(*block, *index);
  owner.RevokeRemoved();
  return PushTrue(host);
}

// A block handle's finalizer: the block lives on in its document; only the
// count of values holding its token goes down.
int BlockCollect(ScriptHost& host) {
  TheLiveObjects().Release(host.GetUserDataArg(1));
  return 0;
}

int EntityBlock(ScriptHost& host) {
  auto args = ReadArguments<Entity>(host);
  if (!args) return 0;
  MapEntity& entity = *std::get<0>(*args);
  DocumentObject& owner = DocumentObject::Of(entity.Document());
  if (owner.Blocks() == nullptr || entity.block == nullptr) return 0;
  PushBlock(host, owner, *entity.block);
  return 1;
}

}  // namespace mapwright
