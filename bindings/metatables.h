// The script metatables, each fetched by name with a fixed type id.
#ifndef MAPWRIGHT_BINDINGS_METATABLES_H
#define MAPWRIGHT_BINDINGS_METATABLES_H

namespace mapwright {

struct MetaTableName {
  const char* name;
  int typeId;
};

inline constexpr MetaTableName kTokenReaderMeta{"TokenReader", 2002};
inline constexpr MetaTableName kDocumentMeta{"VMF", 2003};
inline constexpr MetaTableName kEntityMeta{"VMFEntity", 2004};
inline constexpr MetaTableName kBlockMeta{"VMFBlock", 2005};

}  // namespace mapwright

#endif
