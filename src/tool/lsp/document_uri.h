// The editor names a text by a URI ("file:///home/anna/Milano_Lecco_linea.txt",
// "file:///c%3A/Tratte/Milano_Lecco_linea.txt").  The partner of a text is
// found by its name in the same folder: the URI with its last segment
// replaced, so that it reaches the editor spelt as the editor spells it.
#ifndef SCENARIO_TOOL_LSP_DOCUMENT_URI_H_
#define SCENARIO_TOOL_LSP_DOCUMENT_URI_H_

#include <optional>
#include <string>
#include <string_view>

namespace scenario::tool::lsp {

// Decodes %XX escapes; a malformed escape stays as it is.
std::string percent_decoded(std::string_view text);
// Escapes every byte but the unreserved ones (letters, digits, - . _ ~).
std::string percent_encoded(std::string_view text);

// The URI up to and with its last '/', and the decoded name after it.
std::string_view folder_of(std::string_view uri);
std::string name_of(std::string_view uri);

// A file in the same folder as `uri`.
std::string sibling(std::string_view uri, std::string_view name);

// The local path (UTF-8) of a file URI; none for another scheme or a
// host other than the local one.  A drive letter ("/c:/...") makes a
// Windows path ("c:/...").
std::optional<std::string> path_of(std::string_view uri);

}  // namespace scenario::tool::lsp

#endif  // SCENARIO_TOOL_LSP_DOCUMENT_URI_H_
