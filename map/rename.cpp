#include "map/rename.h"

#include <string>
#include <string_view>

#include "map/name_table.h"

namespace mapwright {

void RenameEntities(MapDocument& document, std::int32_t suffix) {
  const std::string suffixText = std::to_string(suffix);
  TextPool& texts = document.Texts();

  // Old name -> new name. The old texts stay alive in the pool, so the table
  // may point into them.
  std::size_t named = 0;
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    named += *document.Entity(i).targetname != '\0' ? 1 : 0;
  }
  NameTable renamed(named);
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    MapEntity& entity = document.Entity(i);
    std::string_view name = entity.targetname;
    if (name.empty()) continue;
    const char*& newName = renamed.Insert(name);
    if (newName == nullptr) newName = texts.Concat(name, suffixText);
    entity.targetname = newName;
  }
  if (renamed.Empty()) return;

  auto rewrite = [&renamed](const char*& text) {
    if (*text == '\0') return;
    if (const char* newText = renamed.Find(text)) text = newText;
  };
  for (std::size_t i = 0; i < document.EntityCount(); ++i) {
    MapEntity& entity = document.Entity(i);
    for (std::size_t k = 0; k < entity.KeyCount(); ++k) rewrite(entity.Key(k).value);
    for (std::size_t c = 0; c < entity.ConnectionCount(); ++c) {
      rewrite(entity.GetConnection(c).target);
    }
  }
}

}  // namespace mapwright
