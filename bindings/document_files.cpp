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
// nothing when that let the document go (its finalizer empties it) or parsed
// it anew.
std::optional<std::string> ResolveFor(ScriptHost& host, const DocumentObject& owner,
                                      std::string_view path) {
  const std::uint64_t generation = owner.document.Generation();
  std::string resolved = ResolveScriptPath(host, std::string(path).c_str());
  if (owner.document.Generation() != generation) return std::nullopt;
  return resolved;
}

int FileFailed(ScriptHost& host, std::string_view path, FileFailure failure) {
  return PushFailure(host, std::string(path) + ": " + DescribeFileFailure(failure));
}

const char kUnresolved[] =
    ": the path resolves to no file the script may use (util.RelativePathToFull gave none)";
const char kDisturbed[] = "the document was collected or parsed again while the path was resolved";

}  // namespace

// True when the file was read, whatever damage the parse reported; nil and
// why, with the document as it was, when it could not be read. A file that
// holds a zero byte is no map text: it is refused rather than read up to
// the byte, which a Save would then make the whole file.
int DocumentLoad(ScriptHost& host) {
  WrongArgument wrong;
  auto args = ReadArguments<SharedDocument, arg::Text>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [owner, path] = *args;
  const std::string given(path);
  std::optional<std::string> resolved = ResolveFor(host, *owner, given);
  if (!resolved) return PushFailure(host, kDisturbed);
  if (resolved->empty()) return PushFailure(host, given + kUnresolved);
  std::shared_ptr<TextBuffer> text;
  FileFailure failure = FileFailure::kNone;
  std::optional<std::size_t> read = ReadExistingFile(
      resolved->c_str(),
      [&text](std::size_t size) {
        text = std::make_shared<TextBuffer>(size);
        return text->data();
      },
      &failure);
  if (!read) return FileFailed(host, given, failure);
  if (const void* zero = std::memchr(text->data(), '\0', *read)) {
    const auto at = static_cast<std::size_t>(static_cast<const char*>(zero) - text->data());
    return PushFailure(host, given + ": the file holds a zero byte (at byte " + std::to_string(at) +
                                 "), so it is no map text");
  }
  owner->RevokeHandles();
  ScriptReporter reporter(host);
  ParseMapText(owner->document, std::move(text), &reporter);
  return PushTrue(host);
}

// True when Text() of the document is stored under the path, replacing what
// was there; nil and why otherwise, with the old file as it was.
int DocumentSave(ScriptHost& host) {
  WrongArgument wrong;
  auto args = ReadArguments<SharedDocument, arg::Text>(host, &wrong);
  if (!args) return PushWrongArgument(host, wrong);
  auto [owner, path] = *args;
  const std::string given(path);
  std::optional<std::string> resolved = ResolveFor(host, *owner, given);
  if (!resolved) return PushFailure(host, kDisturbed);
  if (resolved->empty()) return PushFailure(host, given + kUnresolved);
  std::shared_ptr<const TextBuffer> text = WriteMap(owner->document);
  FileFailure failure = FileFailure::kNone;
  if (!ReplaceFileWith(resolved->c_str(), text->view(), &failure)) {
    return FileFailed(host, given, failure);
  }
  return PushTrue(host);
}

}  // namespace mapwright
