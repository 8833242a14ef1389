#include "render/array_buffer_transfer.h"

#include <QByteArray>
#include <algorithm>

#include "base/base64.h"
#include "base/log.h"
#include "render/page_script.h"
#include "render/render_browser.h"
#include "render/v8_context_impl.h"

namespace cefcompat {

bool ArrayBufferTransfer::WithinLimit(const std::string& what, size_t length) {
  if (length <= kMaxBytes) return true;
  Log(LOGSEVERITY_WARNING, what + " refused: an ArrayBuffer of " + std::to_string(length) + " bytes is over the " +
                               std::to_string(kMaxBytes >> 20) + " MB limit");
  return false;
}

void ArrayBufferTransfer::Send(V8ContextImpl* context, int64_t id, const void* data, size_t length) {
  const std::string key = std::to_string(id);
  const char* bytes = static_cast<const char*>(data);
  for (size_t offset = 0; offset < length; offset += kPieceBytes) {
    const int size = static_cast<int>(std::min(kPieceBytes, length - offset));
    const QByteArray piece = QByteArray::fromRawData(bytes + offset, size).toBase64();
    context->Post("__cefcompat.bytes(" + key + ", '" + piece.toStdString() + "')");
  }
  context->Post("__cefcompat.makeBuffer(" + key + ", " + std::to_string(length) + ")");
}

bool ArrayBufferTransfer::Read(V8ContextImpl* context, int64_t handle, size_t length, std::string* out) {
  if (!WithinLimit("reading an ArrayBuffer", length)) return false;
  out->clear();
  out->reserve(length);
  for (size_t offset = 0; offset < length; offset += kPieceBytes) {
    const size_t size = std::min(kPieceBytes, length - offset);
    const auto reply =
        context->Browser()->EvaluateAndWait(context, "__cefcompat.read(" + std::to_string(handle) + ", " +
                                                         std::to_string(offset) + ", " + std::to_string(size) + ")");
    const Json value = reply.ok ? reply.result.value("result", Json::object()).value("value", Json()) : Json();
    std::string piece;
    if (!value.is_string() || !DecodeBase64(value.get_ref<const std::string&>(), piece) || piece.size() != size) {
      Log(LOGSEVERITY_WARNING, "an ArrayBuffer of the page could not be read (" + std::to_string(offset) + " of " +
                                   std::to_string(length) + " bytes read; detached or shrunk?)");
      out->clear();
      return false;
    }
    out->append(piece);
  }
  return true;
}

}  // namespace cefcompat
