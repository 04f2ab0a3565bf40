// Short names for the bytes of compiled files, so that a record written with
// a set of files can tell whether the files beside it are still that set.
// Enough to tell these files from any others written in their place; not a
// protection against a forger.
#ifndef SCENARIO_FORMAT_FINGERPRINT_H_
#define SCENARIO_FORMAT_FINGERPRINT_H_

#include <string>
#include <string_view>

namespace scenario {

// Sixteen lowercase hexadecimal digits, the same on every host.  Read eight
// bytes at a time in four lanes: a 20 MB route plan takes a few
// milliseconds, a fraction of what writing it takes.
std::string fingerprint(std::string_view bytes);

// The fingerprints of one set of compiled files; `geometry` is empty when
// the set has no line geometry file.
struct set_fingerprints {
  std::string geometry, table, segments;
  bool operator==(const set_fingerprints&) const = default;
};

}  // namespace scenario

#endif  // SCENARIO_FORMAT_FINGERPRINT_H_
