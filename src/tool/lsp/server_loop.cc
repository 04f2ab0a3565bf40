#include "tool/lsp/server_loop.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace scenario::tool::lsp {
namespace {

constexpr std::size_t kLargestRead = std::size_t{1} << 20;

// What the reading thread hands over.
struct inbox {
  std::mutex mutex;
  std::condition_variable arrived;
  std::deque<frame> frames;
  bool ended = false;
};

// Reads no byte beyond the frame it is in, so that a blocking read never
// waits for a message the editor has not sent.
void read_frames(std::istream& in, const std::shared_ptr<inbox>& box) {
  message_framer framer;
  std::vector<char> buffer;
  while (true) {
    const std::size_t n = std::min(framer.wanted(), kLargestRead);
    buffer.resize(n);
    const std::streamsize got = in.rdbuf()->sgetn(buffer.data(), static_cast<std::streamsize>(n));
    if (got <= 0) break;
    framer.feed({buffer.data(), static_cast<std::size_t>(got)});
    if (!framer.has_frame()) continue;
    const std::lock_guard lock(box->mutex);
    while (framer.has_frame()) box->frames.push_back(framer.take_frame());
    box->arrived.notify_one();
  }
  const std::lock_guard lock(box->mutex);
  box->ended = true;
  box->arrived.notify_one();
}

}  // namespace

std::string framed(const json& message) {
  // Texts are handed over as UTF-8; a byte that is not (a field quoted from
  // a text) is replaced rather than refused.
  const std::string body = message.dump(-1, ' ', false, json::error_handler_t::replace);
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

int serve(std::istream& in, std::ostream& out, std::ostream* log, feature_table features,
          std::chrono::milliseconds debounce) {
  server s(
      std::move(features),
      [&out](const json& message) {
        const std::string bytes = framed(message);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
      },
      log, debounce);
  const auto box = std::make_shared<inbox>();
  std::thread reader([&in, box] { read_frames(in, box); });

  auto take = [&box] {
    const std::lock_guard lock(box->mutex);
    return std::exchange(box->frames, {});
  };
  bool ended = false;
  while (!s.exited() && !ended) {
    std::deque<frame> frames;
    {
      std::unique_lock lock(box->mutex);
      const std::optional<clock::time_point> due = s.next_due();
      auto ready = [&box] { return !box->frames.empty() || box->ended; };
      if (due)
        box->arrived.wait_until(lock, *due, ready);
      else
        box->arrived.wait(lock, ready);
      frames = std::exchange(box->frames, {});
      ended = box->ended && frames.empty();
    }
    for (const frame& f : frames) {
      s.handle_frame(f);
      if (s.exited()) break;
    }
    if (s.exited() || !frames.empty()) continue;
    // Quiet for the debounce time: compile, then handle what came meanwhile
    // before the diagnostics go out, so that none outlives a newer change.
    const std::vector<compiled_group> compiled = s.compile_due(clock::now());
    if (compiled.empty()) continue;
    for (const frame& f : take()) {
      s.handle_frame(f);
      if (s.exited()) break;
    }
    if (!s.exited()) s.publish(compiled);
  }
  const bool reader_done = [&box] {
    const std::lock_guard lock(box->mutex);
    return box->ended;
  }();
  // A reader still waiting for input holds nothing of this frame but the
  // stream, which outlives the process's last message.
  if (reader_done)
    reader.join();
  else
    reader.detach();
  return s.exit_status();
}

}  // namespace scenario::tool::lsp
