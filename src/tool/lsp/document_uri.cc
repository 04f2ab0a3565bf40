#include "tool/lsp/document_uri.h"

#include <cctype>

namespace scenario::tool::lsp {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_drive(std::string_view path) {
  return path.size() >= 3 && path[0] == '/' && std::isalpha(static_cast<unsigned char>(path[1])) &&
         path[2] == ':';
}

}  // namespace

std::string percent_decoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
        hex_value(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string percent_encoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (std::isalnum(b) || c == '-' || c == '.' || c == '_' || c == '~') {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 15]);
    }
  }
  return out;
}

std::string_view folder_of(std::string_view uri) {
  const std::size_t slash = uri.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : uri.substr(0, slash + 1);
}

std::string name_of(std::string_view uri) {
  const std::size_t slash = uri.rfind('/');
  return percent_decoded(slash == std::string_view::npos ? uri : uri.substr(slash + 1));
}

std::string sibling(std::string_view uri, std::string_view name) {
  return std::string(folder_of(uri)) + percent_encoded(name);
}

std::optional<std::string> path_of(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.size() < kScheme.size()) return std::nullopt;
  for (std::size_t i = 0; i < kScheme.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(uri[i])) != kScheme[i]) return std::nullopt;
  std::string_view rest = uri.substr(kScheme.size());
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = rest.substr(0, slash);
  if (!host.empty() && host != "localhost") return std::nullopt;
  std::string path = percent_decoded(rest.substr(slash));
  if (is_drive(path)) path.erase(0, 1);
  return path;
}

}  // namespace scenario::tool::lsp
