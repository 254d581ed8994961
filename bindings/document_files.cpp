// Documents to and from files without a script string in between: Load reads
// a file straight into the document's own text, Save writes the document's
// text and its edits straight to a file, replacing it whole.
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "bindings/arguments.h"
#include "bindings/call_outs.h"
#include "bindings/document_object.h"
#include "fileio/file_access.h"
#include "map/read/map_parser.h"
#include "map/write/map_writer.h"

namespace mapwright {
namespace {

using SharedDocument = arg::SharedObject<DocumentObject, ObjectKind::kDocument>;

// The path resolved by the script's resolver, which may run the collector:
// nothing when that let the document go (its finalizer empties it).
std::optional<std::string> ResolveFor(ScriptHost& host, const DocumentObject& owner,
                                      std::string_view path) {
  const std::uint64_t generation = owner.document.Generation();
  std::string resolved = ResolveScriptPath(host, std::string(path).c_str());
  if (owner.document.Generation() != generation) return std::nullopt;
  return resolved;
}

}  // namespace

// True when the file was read, whatever damage the parse reported; nothing,
// with the document as it was, when it could not be read. The text ends at
// its first zero byte, as Parse(ReadFile(path)) would see it.
int DocumentLoad(ScriptHost& host) {
  auto args = ReadArguments<SharedDocument, arg::Text>(host);
  if (!args) return 0;
  auto [owner, path] = *args;
  std::optional<std::string> resolved = ResolveFor(host, *owner, path);
  if (!resolved) return 0;
  std::shared_ptr<TextBuffer> text;
  std::optional<std::size_t> read = ReadExistingFile(resolved->c_str(), [&text](std::size_t size) {
    text = std::make_shared<TextBuffer>(size);
    return text->data();
  });
  if (!read) return 0;
  const void* zero = std::memchr(text->data(), '\0', *read);
  text->Truncate(zero != nullptr
                     ? static_cast<std::size_t>(static_cast<const char*>(zero) - text->data())
                     : *read);
  owner->RevokeHandles();
  ScriptReporter reporter(host);
  ParseMapText(owner->document, std::move(text), &reporter);
  return PushTrue(host);
}

// True when Text() of the document is stored under the path, replacing what
// was there; nothing otherwise, with the old file as it was.
int DocumentSave(ScriptHost& host) {
  auto args = ReadArguments<SharedDocument, arg::Text>(host);
  if (!args) return 0;
  auto [owner, path] = *args;
  std::optional<std::string> resolved = ResolveFor(host, *owner, path);
  if (!resolved) return 0;
  std::shared_ptr<const TextBuffer> text = WriteMap(owner->document);
  if (!ReplaceFileWith(resolved->c_str(), text->view())) return 0;
  return PushTrue(host);
}

}  // namespace mapwright
