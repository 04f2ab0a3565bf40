// Fuzzes the language server's message handling: the input is what an
// editor might send on standard input, framed or not.  The first byte
// splits the rest into the pieces the framer is fed (as reads of a pipe
// come), every frame goes to one server, and the changed texts are compiled
// after each frame.  Nothing may crash, and everything the server sends
// must be a JSON-RPC message: an answer with the id of its request, or a
// notification.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tool/lsp/feature_table.h"
#include "tool/lsp/message_framing.h"
#include "tool/lsp/server.h"

namespace {

using namespace scenario::tool::lsp;

void check(bool ok) {
  if (!ok) std::abort();
}

void check_sent(const json& m) {
  check(m.is_object() && m.value("jsonrpc", "") == "2.0");
  check(m.contains("id") != m.contains("method"));
  if (m.contains("id")) check(m.contains("result") != m.contains("error"));
  // Serialisable as the loop sends it, whatever bytes the texts held.
  check(!m.dump(-1, ' ', false, json::error_handler_t::replace).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = 1 + data[0] % 64;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  // A small limit, so that the refusal of large bodies is reached too.
  message_framer framer(4096);
  server s(feature_table{}, check_sent);
  while (!input.empty() && !s.exited()) {
    const std::size_t n = std::min(piece, input.size());
    framer.feed(input.substr(0, n));
    input.remove_prefix(n);
    while (framer.has_frame() && !s.exited()) {
      s.handle_frame(framer.take_frame());
      s.compile_and_publish_all();
    }
  }
  return 0;
}
