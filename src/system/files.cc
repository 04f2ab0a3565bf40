#include "system/files.h"

#include <cctype>
#include <map>
#include <memory>
#include <new>
#include <system_error>

#include "system/terminal_text.h"

namespace scenario {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kChunkBytes = std::size_t{1} << 16;

[[noreturn]] void refuse_read(const fs::path& path, const std::string& why) {
  throw file_error("cannot read " + shown(path) + ": " + why);
}

std::string too_large(std::optional<std::uint64_t> size, std::uint64_t limit) {
  return (size ? std::to_string(*size) + " bytes" : std::string("more bytes")) +
         ", more than the " + std::to_string(limit) + " such a file can hold";
}

std::string read_known_size(const byte_source& source, const fs::path& path, std::uint64_t size) {
  std::string bytes;
  try {
    bytes.resize(size);
  } catch (const std::exception&) {  // bad_alloc, or length_error past the largest string
    refuse_read(path, "not enough memory for its " + std::to_string(size) + " bytes");
  }
  std::size_t got = 0;
  while (got < bytes.size()) {
    const std::size_t n = source.read_some(bytes.data() + got, bytes.size() - got);
    if (n == 0) break;
    got += n;
  }
  if (got < bytes.size())
    refuse_read(path, "it ended after " + std::to_string(got) + " of its " + std::to_string(size) +
                          " bytes (it changed while it was read, or the system lost bytes)");
  char more;
  if (source.read_some(&more, 1) != 0)
    refuse_read(path, "it grew past its " + std::to_string(size) + " bytes while it was read");
  return bytes;
}

std::string read_to_end(const byte_source& source, const fs::path& path, std::uint64_t limit) {
  std::string bytes;
  char chunk[kChunkBytes];
  for (std::size_t n; (n = source.read_some(chunk, sizeof chunk)) > 0;) {
    if (bytes.size() + n > limit) refuse_read(path, too_large(std::nullopt, limit));
    try {
      bytes.append(chunk, n);
    } catch (const std::bad_alloc&) {
      refuse_read(path, "not enough memory for more than its first " +
                            std::to_string(bytes.size()) + " bytes");
    }
  }
  return bytes;
}

void check_length(const fs::path& path, const platform::name_limits& limits) {
  const std::size_t extra = platform::kTemporaryNameExtra;
  const std::size_t name = path.filename().string().size();
  const std::size_t whole = path.string().size();
  std::string why;
  if (name + extra > limits.name_bytes)
    why = "its name of " + std::to_string(name) + " bytes and the " + std::to_string(extra) +
          " a temporary file adds to it are more than the " + std::to_string(limits.name_bytes) +
          " a file name may have there";
  else if (whole + extra > limits.path_bytes)
    why = "its path of " + std::to_string(whole) + " bytes and the " + std::to_string(extra) +
          " a temporary file adds to it are more than the " + std::to_string(limits.path_bytes) +
          " a path may have";
  if (!why.empty()) throw file_error("cannot write " + shown(path) + ": " + why);
}

std::string outcome(std::size_t files, const std::vector<fs::path>& replaced) {
  if (files < 2) return "";
  if (replaced.empty()) return "; no file was replaced";
  std::string list;
  for (const fs::path& p : replaced) list += (list.empty() ? "" : ", ") + shown(p);
  return "; already replaced: " + list;
}

}  // namespace

std::string folded_name(const fs::path& path) {
  std::string s = path.lexically_normal().string();
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string read_all(const byte_source& source, const fs::path& path, std::uint64_t limit) {
  if (source.size && *source.size > limit) refuse_read(path, too_large(source.size, limit));
  return source.size ? read_known_size(source, path, *source.size)
                     : read_to_end(source, path, limit);
}

namespace {

std::string read_input(const fs::path& path, std::uint64_t limit,
                       platform::accepted_input accepted) {
  platform::input_file file(path, accepted);
  return read_all({file.size(), [&file](char* b, std::size_t n) { return file.read_some(b, n); }},
                  path, limit);
}

}  // namespace

std::string read_whole_file(const fs::path& path, std::uint64_t limit) {
  return read_input(path, limit, platform::accepted_input::anything);
}

std::string read_regular_file(const fs::path& path, std::uint64_t limit) {
  return read_input(path, limit, platform::accepted_input::regular_file);
}

bool file_holds(const fs::path& path, std::string_view bytes) {
  platform::input_file file(path, platform::accepted_input::regular_file);
  if (file.size() && *file.size() != bytes.size()) return false;
  std::vector<char> piece(std::size_t{1} << 16);
  std::size_t at = 0;
  for (;;) {
    const std::size_t n = file.read_some(piece.data(), piece.size());
    if (n == 0) return at == bytes.size();
    if (n > bytes.size() - at || bytes.substr(at, n) != std::string_view(piece.data(), n))
      return false;
    at += n;
  }
}

void check_output_names(std::span<const fs::path> paths) {
  std::map<fs::path, platform::name_limits> limits;
  std::map<std::string, fs::path> seen;
  for (const fs::path& path : paths) {
    const fs::path dir = path.parent_path();
    if (limits.count(dir) == 0) limits[dir] = platform::name_limits_of(dir);
    check_length(path, limits[dir]);
    const auto [at, fresh] = seen.emplace(folded_name(path), path);
    if (!fresh)
      throw file_error("cannot write " + shown(at->second) + " and " + shown(path) +
                       " both: they are one file where letter case is not told apart");
    std::error_code ec;
    if (fs::symlink_status(path, ec).type() == fs::file_type::directory)
      throw file_error("cannot replace " + shown(path) + ": " +
                       std::make_error_code(std::errc::is_a_directory).message());
  }
}

namespace {

// The old files a replacement can put back, by the index of their new file.
class kept_files {
 public:
  explicit kept_files(std::span<const output_file> files) {
    for (const output_file& f : files) {
      std::error_code ec;
      existed_.push_back(fs::exists(fs::symlink_status(f.path, ec)));
      kept_.push_back(platform::keep_old_file(f.path));
    }
  }
  ~kept_files() {
    for (const auto& k : kept_)
      if (k) remove_quietly(*k);
  }
  kept_files(const kept_files&) = delete;
  kept_files& operator=(const kept_files&) = delete;

  // Puts the first `count` files back as they were: the old file under its
  // name again, or no file where there was none.  Returns those it could not.
  std::vector<fs::path> put_back(std::span<const output_file> files, size_t count) {
    std::vector<fs::path> left;
    for (size_t i = count; i-- > 0;) {
      try {
        if (kept_[i]) {
          platform::rename_file(*kept_[i], files[i].path);
          kept_[i].reset();
        } else if (!existed_[i]) {
          platform::remove_file(files[i].path);
        } else {
          left.push_back(files[i].path);  // an old file, or link, that could not be kept
        }
      } catch (const file_error&) {
        left.push_back(files[i].path);
      }
    }
    return left;
  }

 private:
  static void remove_quietly(const fs::path& path) {
    try {
      platform::remove_file(path);
    } catch (const file_error&) {
      // A kept file left behind is removed by the next run that holds the
      // folder's lock.
    }
  }
  std::vector<std::optional<fs::path>> kept_;
  std::vector<bool> existed_;
};

// A name a temporary file or a kept old file of `final_name` has.
bool is_temporary_of(std::string_view name, std::string_view final_name) {
  const size_t extra = platform::kTemporaryNameExtra;
  if (name.size() != final_name.size() + extra || !name.starts_with(final_name)) return false;
  const std::string_view tail = name.substr(final_name.size());
  if (!tail.starts_with(".tmp")) return false;
  for (char c : tail.substr(4))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

void call(const replacement_hook& hook, replacement_step step, const fs::path& path) {
  if (hook) hook(step, path);
}

}  // namespace

void replace_files(std::span<const output_file> files, const replacement_hook& before_step) {
  std::vector<fs::path> replaced;
  std::vector<fs::path> paths;
  for (const output_file& f : files) paths.push_back(f.path);
  try {
    check_output_names(paths);
    std::vector<platform::temporary_file> temporaries;
    temporaries.reserve(files.size());
    for (const output_file& f : files) {
      call(before_step, replacement_step::write, f.path);
      temporaries.emplace_back(f.path);
      temporaries.back().write_all(f.bytes);
    }
    // All written before any is waited for: the system puts them on the
    // disk together, and one wait for the largest covers most of the rest.
    for (platform::temporary_file& t : temporaries) {
      call(before_step, replacement_step::sync, t.final_path());
      t.close();
    }
    kept_files kept(files);
    try {
      for (platform::temporary_file& t : temporaries) {
        call(before_step, replacement_step::rename, t.final_path());
        t.rename_over();
        replaced.push_back(t.final_path());
      }
    } catch (const file_error&) {
      replaced = kept.put_back(files, replaced.size());
      throw;
    }
  } catch (const file_error& e) {
    // The temporary files are gone by now; the message says what stayed.
    throw replacement_error(e.what() + outcome(files.size(), replaced), replaced);
  }
}

void remove_stale_temporaries(std::span<const fs::path> paths) {
  std::map<fs::path, std::vector<std::string>> finals;
  for (const fs::path& p : paths) finals[p.parent_path()].push_back(p.filename().string());
  for (const auto& [dir, names] : finals) {
    std::error_code ec;
    for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end;
         it.increment(ec)) {
      const std::string name = it->path().filename().string();
      for (const std::string& final_name : names)
        if (is_temporary_of(name, final_name)) {
          try {
            platform::remove_file(it->path());
          } catch (const file_error&) {
            // Not ours to remove after all (another user's): it stays.
          }
        }
    }
  }
}

namespace {

// The folder's lock; a folder that cannot take one cannot take the run's
// files either, and the message names the first of them, as a write would.
std::unique_ptr<platform::folder_lock> locked(
    const fs::path& dir, std::span<const fs::path> paths, std::string_view holder, bool wait,
    const std::function<void(const std::string&)>& on_wait) {
  try {
    return std::make_unique<platform::folder_lock>(dir, holder, wait, on_wait);
  } catch (const platform::unwritable_folder& e) {
    throw file_error("cannot write " + shown(paths.empty() ? dir : paths.front()) + ": " +
                     e.what());
  }
}

}  // namespace

held_folder::held_folder(const fs::path& dir, std::span<const fs::path> paths,
                         std::string_view holder, bool wait,
                         const std::function<void(const std::string&)>& on_wait)
    : lock_(locked(dir, paths, holder, wait, on_wait)) {
  remove_stale_temporaries(paths);
}

void replace_file(const fs::path& path, std::string_view bytes) {
  const output_file file{path, bytes};
  replace_files({&file, 1});
}

void make_directories(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) throw file_error("cannot create directory " + shown(dir) + ": " + ec.message());
}

}  // namespace scenario
