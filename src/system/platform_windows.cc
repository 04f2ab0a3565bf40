// The platform layer on Windows.  Every call takes the wide-character form of
// a path, so that names beyond the ANSI code page (an author's "Città", a
// folder in Cyrillic) reach the file system unchanged, and every path is
// handed over in its \\?\ form, which the 260-character limit does not bind.
// Text crosses into the system as UTF-16; the programs work in UTF-8.
#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>
#include <system_error>
#include <vector>

#include "system/platform.h"
#include "system/terminal_text.h"

namespace scenario {
namespace fs = std::filesystem;
namespace {

std::string to_utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

// Bytes that are not UTF-8 become U+FFFD.
std::wstring to_wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
  return wide;
}

// The system's own words for an error code, in UTF-8 and on one line.
std::string reason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words = n > 0 ? std::wstring(text, n) : std::wstring();
  ::LocalFree(text);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' ||
                            words.back() == L' ' || words.back() == L'.'))
    words.pop_back();
  for (wchar_t& c : words)
    if (c == L'\r' || c == L'\n') c = L' ';
  if (words.empty()) return "error " + std::to_string(error);
  return to_utf8(words);
}

[[noreturn]] void fail(std::string_view verb, const fs::path& path, DWORD error) {
  throw file_error(std::string(verb) + " " + shown(path) + ": " + reason(error));
}

// Renames `from` over `to`.  Access refused is tried again for about a
// second: the system (and Wine) refuse a file for a moment after another
// process has let go of it; a file held open for good is still refused.
void move_over(const fs::path& from, const fs::path& to);

HANDLE native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
std::intptr_t stored(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }
const std::intptr_t kNoHandle = stored(INVALID_HANDLE_VALUE);

// The \\?\ form of a path: absolute, with backslashes, never cut at
// MAX_PATH.  A path already in that form stays as it is.
std::wstring extended(const fs::path& path) {
  std::error_code ec;
  fs::path whole = fs::absolute(path, ec);
  if (ec) whole = path;
  std::wstring s = whole.lexically_normal().make_preferred().wstring();
  if (s.rfind(L"\\\\?\\", 0) == 0) return s;
  if (s.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + s.substr(2);
  return L"\\\\?\\" + s;
}

void move_over(const fs::path& from, const fs::path& to) {
  for (int attempt = 0;; ++attempt) {
    if (::MoveFileExW(extended(from).c_str(), extended(to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return;
    const DWORD error = ::GetLastError();
    if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt >= 20)
      fail("cannot replace", to, error);
    ::Sleep(50);
  }
}

// Letters and digits from the system's random number generator: another
// user who can write the directory cannot plant a file at a name not yet
// drawn.
std::wstring random_letters(std::size_t count) {
  static constexpr std::wstring_view kAlphabet =
      L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::wstring letters;
  unsigned char bytes[64] = {};
  if (count > sizeof bytes ||
      !BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, bytes, static_cast<ULONG>(count),
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    // Creation stays exclusive, so a guessable name only makes us draw again.
    const ULONGLONG tick = ::GetTickCount64() ^ ::GetCurrentProcessId();
    for (std::size_t i = 0; i < sizeof bytes; ++i)
      bytes[i] = static_cast<unsigned char>(tick >> (i % 8 * 8)) + i;
  }
  for (std::size_t i = 0; i < count; ++i) letters.push_back(kAlphabet[bytes[i] % kAlphabet.size()]);
  return letters;
}

// The bytes at the end of `bytes` that start a UTF-8 character but do not
// finish it: they wait for the rest.
std::size_t unfinished_tail(std::string_view bytes) {
  for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
    const auto b = static_cast<unsigned char>(bytes[bytes.size() - back]);
    if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

// Standard output or error on a console window: the UTF-8 the programs
// write is shown as the characters it stands for, whatever the console's
// code page.
class console_buffer : public std::streambuf {
 public:
  explicit console_buffer(HANDLE console) : console_(console) { setp(buffer_, buffer_ + kSize); }

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }

  int sync() override {
    const std::string_view pending(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    const std::size_t tail = unfinished_tail(pending);
    const std::wstring text = to_wide(pending.substr(0, pending.size() - tail));
    for (std::size_t done = 0; done < text.size();) {
      DWORD written = 0;
      const DWORD n = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
      if (!::WriteConsoleW(console_, text.data() + done, n, &written, nullptr) || written == 0)
        return -1;
      done += written;
    }
    std::char_traits<char>::move(buffer_, pptr() - tail, tail);
    setp(buffer_, buffer_ + kSize);
    pbump(static_cast<int>(tail));
    return 0;
  }

 private:
  static constexpr std::size_t kSize = 4096;
  HANDLE console_;
  char buffer_[kSize];
};

// Sends `stream` to the console behind `handle`, when it is one; otherwise
// its bytes go out as written, without '\n' becoming CR LF.
void set_up(std::ostream& stream, FILE* file, DWORD handle) {
  const HANDLE h = ::GetStdHandle(handle);
  DWORD mode = 0;
  if (h != nullptr && h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode)) {
    // Never destroyed: the standard streams are flushed after static
    // objects are gone.
    stream.rdbuf(new console_buffer(h));
    return;
  }
  std::fflush(file);
  _setmode(_fileno(file), _O_BINARY);
}

constexpr std::wstring_view kTemporaryMark = L".tmp";
static_assert(kTemporaryMark.size() + 8 == platform::kTemporaryNameExtra);
constexpr int kCreationAttempts = 100;

}  // namespace

fs::path output_directory() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0)
      throw file_error("cannot find the program's own directory: " + reason(::GetLastError()));
    // A name that fills the buffer may have been cut: try a larger one.
    if (n < name.size()) {
      name.resize(n);
      return fs::path(name).parent_path();
    }
    name.resize(name.size() * 2);
  }
}

namespace platform {

std::vector<std::string> program_arguments(int argc, char** argv) {
  // argv holds the arguments in the ANSI code page, which cannot say every
  // name a user types; the wide command line can.
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (wide == nullptr) {
    arguments.assign(argv, argv + argc);
    return arguments;
  }
  for (int i = 0; i < count; ++i) arguments.push_back(to_utf8(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

void set_up_console() {
  // Standard input as bytes too: the language server's messages count their
  // bytes, a CR among them included.
  _setmode(_fileno(stdin), _O_BINARY);
  set_up(std::cout, stdout, STD_OUTPUT_HANDLE);
  set_up(std::cerr, stderr, STD_ERROR_HANDLE);
}

// Windows has no signal for a file-size limit: a write beyond what a disk
// takes fails as a write.
void ignore_file_size_limit_signal() {}

name_limits name_limits_of(const fs::path&) {
  // NTFS, FAT and exFAT take 255 characters in a name; a \\?\ path runs to
  // 32 767.
  name_limits limits;
  limits.name_bytes = 255;
  limits.path_bytes = 32767 - 4;
  return limits;
}

namespace {

// What a handle that is not a file on a disk names, as a refusal says it.
std::string kind_of_special_file(DWORD type) {
  if (type == FILE_TYPE_PIPE) return "a named pipe";
  if (type == FILE_TYPE_CHAR) return "a device";
  return "not a file on a disk";
}

// Whether an open handle is a file on a disk that is not a directory.
bool is_regular_file(HANDLE h, DWORD& type) {
  type = ::GetFileType(h);
  if (type != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION about{};
  return ::GetFileInformationByHandle(h, &about) &&
         (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

input_file::input_file(const fs::path& path, accepted_input accepted)
    : path_(path), handle_(kNoHandle) {
  const HANDLE h = ::CreateFileW(extended(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // A directory is opened only with backup semantics: say what it is.
    if (error == ERROR_ACCESS_DENIED && fs::is_directory(path))
      throw file_error("cannot read " + shown(path) + ": " +
                       std::make_error_code(std::errc::is_a_directory).message());
    fail("cannot read", path, error);
  }
  handle_ = stored(h);
  DWORD type = FILE_TYPE_UNKNOWN;
  const bool regular = is_regular_file(h, type);
  if (accepted == accepted_input::regular_file && !regular) {
    ::CloseHandle(h);
    handle_ = kNoHandle;
    throw file_error("cannot read " + shown(path) + ": it is " + kind_of_special_file(type) +
                     ", not a regular file");
  }
  LARGE_INTEGER size{};
  if (type == FILE_TYPE_DISK && ::GetFileSizeEx(h, &size) && size.QuadPart > 0)
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

input_file::~input_file() { ::CloseHandle(native(handle_)); }

std::size_t input_file::read_some(char* buffer, std::size_t n) {
  const DWORD ask = static_cast<DWORD>(n < (DWORD{1} << 30) ? n : (DWORD{1} << 30));
  DWORD got = 0;
  if (::ReadFile(native(handle_), buffer, ask, &got, nullptr)) return got;
  const DWORD error = ::GetLastError();
  // The end of a pipe whose writer has gone.
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
  fail("cannot read", path_, error);
}

temporary_file::temporary_file(const fs::path& final_path)
    : final_path_(final_path), handle_(kNoHandle) {
  for (int attempt = 0; attempt < kCreationAttempts; ++attempt) {
    path_ = final_path;
    path_ += std::wstring(kTemporaryMark) + random_letters(8);
    // CREATE_NEW refuses any name that exists, a link included.
    const HANDLE h = ::CreateFileW(extended(path_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      handle_ = stored(h);
      return;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      fail("cannot write", final_path, error);
  }
  fail("cannot write", final_path, ERROR_FILE_EXISTS);
}

temporary_file::temporary_file(temporary_file&& other) noexcept
    : final_path_(std::move(other.final_path_)),
      path_(std::move(other.path_)),
      handle_(other.handle_),
      renamed_(other.renamed_) {
  other.handle_ = kNoHandle;
  other.renamed_ = true;
}

temporary_file::~temporary_file() {
  if (handle_ != kNoHandle) ::CloseHandle(native(handle_));
  if (!renamed_) ::DeleteFileW(extended(path_).c_str());
}

void temporary_file::write_all(std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const DWORD chunk = static_cast<DWORD>(left < (DWORD{1} << 30) ? left : (DWORD{1} << 30));
    DWORD written = 0;
    if (!::WriteFile(native(handle_), p, chunk, &written, nullptr))
      fail("cannot write", final_path_, ::GetLastError());
    if (written == 0) fail("cannot write", final_path_, ERROR_WRITE_FAULT);
    p += written;
    left -= written;
  }
}

void temporary_file::close() {
  const HANDLE h = native(handle_);
  handle_ = kNoHandle;
  // The data is on the disk before the rename makes it the file, and a
  // write error the system kept back shows here.
  if (!::FlushFileBuffers(h)) {
    const DWORD error = ::GetLastError();
    ::CloseHandle(h);
    fail("cannot write", final_path_, error);
  }
  if (!::CloseHandle(h)) fail("cannot write", final_path_, ::GetLastError());
}

void temporary_file::rename_over() {
  // A read-only file, or one another program holds open without sharing
  // deletion (the simulator with its scenario loaded), is refused here and
  // stays as it was.
  // A file the previous run in the folder has only just let go of can be
  // refused for a moment: try again for about a second before giving up.
  move_over(path_, final_path_);
  renamed_ = true;
}

void remove_file(const fs::path& path) {
  if (::DeleteFileW(extended(path).c_str())) return;
  const DWORD error = ::GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
    fail("cannot delete", path, error);
}

}  // namespace platform
}  // namespace scenario

namespace scenario::platform {
namespace {

// The lock is taken on bytes far past any the file holds, so that a run
// that waits can still read the holder's name at its start.
constexpr DWORD kLockedOffsetHigh = 0x40000000;

std::string holder_of(HANDLE h) {
  char text[256];
  DWORD n = 0;
  OVERLAPPED at{};
  if (!::ReadFile(h, text, sizeof text - 1, &n, &at)) n = 0;
  std::string holder(text, n);
  while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\r')) holder.pop_back();
  return holder.empty() ? "another run" : holder;
}

// Every run opens the lock file to be deleted when the last of them closes
// it; while a deletion is pending, the name refuses new openers for a
// moment, and they try again.
HANDLE open_lock_file(const fs::path& path) {
  for (int attempt = 0;; ++attempt) {
    const HANDLE h =
        ::CreateFileW(extended(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ACCESS_DENIED || attempt >= 200) throw unwritable_folder(reason(error));
    ::Sleep(10);
  }
}

bool try_lock(HANDLE h, DWORD flags) {
  OVERLAPPED at{};
  at.OffsetHigh = kLockedOffsetHigh;
  return ::LockFileEx(h, flags, 0, 1, 0, &at) != 0;
}

}  // namespace

std::optional<fs::path> keep_old_file(const fs::path& path) {
  const DWORD attributes = ::GetFileAttributesW(extended(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
    return std::nullopt;
  // A file another program holds open without sharing deletion (the
  // simulator with its scenario loaded) cannot be replaced, and a second
  // name for it could not be deleted afterwards: keep none.
  const HANDLE probe = ::CreateFileW(extended(path).c_str(), DELETE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return std::nullopt;
  ::CloseHandle(probe);
  for (int attempt = 0; attempt < kCreationAttempts; ++attempt) {
    fs::path spare = path;
    spare += std::wstring(kTemporaryMark) + random_letters(8);
    if (::CreateHardLinkW(extended(spare).c_str(), extended(path).c_str(), nullptr)) return spare;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return std::nullopt;
  }
  return std::nullopt;
}

void rename_file(const fs::path& from, const fs::path& to) { move_over(from, to); }

folder_lock::folder_lock(const fs::path& dir, std::string_view holder, bool wait,
                         const std::function<void(const std::string&)>& on_wait)
    : path_(dir / kFileName), handle_(kNoHandle) {
  const HANDLE h = open_lock_file(path_);
  const DWORD now = LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY;
  bool locked = try_lock(h, now);
  for (int tries = 0; !locked && wait && tries < 20; ++tries) {
    ::Sleep(50);
    locked = try_lock(h, now);
  }
  if (!locked && wait) {
    if (on_wait) on_wait(holder_of(h));
    locked = try_lock(h, LOCKFILE_EXCLUSIVE_LOCK);
  }
  if (!locked) {
    const std::string who = holder_of(h);
    ::CloseHandle(h);
    throw file_error("cannot write into " + shown(dir) + ": " + who +
                     " is writing there (wait for it, or run without --no-wait)");
  }
  handle_ = stored(h);
  const std::string text =
      std::string(holder) + ", process " + std::to_string(::GetCurrentProcessId()) + "\r\n";
  DWORD written = 0;
  OVERLAPPED at{};
  if (::SetEndOfFile(h))
    ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, &at);
}

folder_lock::~folder_lock() { ::CloseHandle(native(handle_)); }

}  // namespace scenario::platform
