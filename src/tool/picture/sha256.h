// SHA-256 (FIPS 180-4), for the page of `scenario-tool view`: its security
// policy names the page's own script and style by their digests, so that a
// browser runs those and nothing an input could slip into the page.
#ifndef SCENARIO_TOOL_SHA256_H_
#define SCENARIO_TOOL_SHA256_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace scenario::tool {

using sha256_digest = std::array<std::uint8_t, 32>;

sha256_digest sha256(std::string_view bytes);

// Bytes in standard Base64 (RFC 4648, with padding), as a policy's
// 'sha256-...' source carries a digest.
std::string base64(const std::uint8_t* bytes, std::size_t size);

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_SHA256_H_
