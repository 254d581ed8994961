#include "map/rename.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace mapwright {

void RenameEntities(VMFDocument& document, std::int32_t suffix) {
  const std::string suffixText = std::to_string(suffix);
  TextPool& texts = document.Texts();

  // Old name -> new name. The old texts stay alive in the pool, so the keys
  // may point into them.
  std::unordered_map<std::string_view, const char*> renamed;
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    VMFEntity& entity = document.Entity(i);
    std::string_view name = entity.targetname;
    if (!entity.hasTargetname || name.empty()) continue;
    auto [slot, isNew] = renamed.try_emplace(name, nullptr);
    if (isNew) slot->second = texts.Concat(name, suffixText);
    entity.targetname = slot->second;
  }
  if (renamed.empty()) return;

  auto rewrite = [&renamed](const char*& text) {
    if (*text == '\0') return;
    auto found = renamed.find(text);
    if (found != renamed.end()) text = found->second;
  };
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    VMFEntity& entity = document.Entity(i);
    for (std::size_t k = 0; k < entity.KeyCount(); ++k) rewrite(entity.Key(k).value);
    for (std::size_t c = 0; c < entity.ConnectionCount(); ++c) {
      rewrite(entity.GetConnection(c).target);
    }
  }
}

}  // namespace mapwright
