#include "bindings/token_reader_object.h"

#include <memory>
#include <string>

#include "bindings/arguments.h"
#include "bindings/script_values.h"
#include "tokenizer/token_reader.h"

namespace mapwright {
namespace {

constexpr int kScriptTokenLimit = 2048;

// The reader reads the object's own copy of the script's text, which lives as
// long as the object does.
struct ReaderObject {
  explicit ReaderObject(std::string_view source) : text(source), reader(text.c_str()) {}
  const std::string text;
  InPlaceTokenReader reader;
};

}  // namespace

int NewTokenReader(ScriptHost& host) {
  auto args = ReadArguments<arg::Text>(host);
  if (!args) return 0;
  PushNewObject(host, ObjectKind::kTokenReader, kTokenReaderMeta,
                std::make_shared<ReaderObject>(std::get<0>(*args)));
  return 1;
}

int TokenReaderReadToken(ScriptHost& host) {
  auto args = ReadArguments<arg::Object<ReaderObject, ObjectKind::kTokenReader>>(host);
  if (!args) return 0;
  ReaderObject* object = std::get<0>(*args);
  char buffer[kScriptTokenLimit + 1];
  TokenType type = object->reader.ReadToken(buffer, kScriptTokenLimit);
  host.PushNumber(static_cast<float>(type));
  host.PushString(buffer);
  return 2;
}

int TokenReaderCollect(ScriptHost& host) {
  void* token = host.GetUserDataArg(1);
  TheLiveObjects().Remove(token, ObjectKind::kTokenReader);
  TheLiveObjects().Release(token);
  return 0;
}

}  // namespace mapwright
