// The input of the fuzz targets that compile: the line description, a NUL
// byte, the train service description.  Without a NUL the train service
// description is missing (its file does not exist).
#ifndef SCENARIO_TESTING_FUZZ_INPUT_H_
#define SCENARIO_TESTING_FUZZ_INPUT_H_

#include <string_view>

#include "compile/compilation.h"

namespace scenario::testing {

struct source_texts {
  source_text line;
  source_text service;
};

inline source_texts split_texts(std::string_view input) {
  const size_t nul = input.find('\0');
  if (nul == std::string_view::npos) return {input, std::nullopt};
  return {input.substr(0, nul), input.substr(nul + 1)};
}

}  // namespace scenario::testing

#endif  // SCENARIO_TESTING_FUZZ_INPUT_H_
