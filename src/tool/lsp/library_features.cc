#include "tool/lsp/feature_table.h"

namespace scenario::tool::lsp {

feature_table library_features() {
  return {&hover,          &completion, &signature_help, &document_symbols,
          &folding_ranges, &format,     &code_actions,   &inlay_hints};
}

}  // namespace scenario::tool::lsp
