// Exit statuses of scenario-tool, shared by every command.
#ifndef SCENARIO_TOOL_EXIT_STATUS_H_
#define SCENARIO_TOOL_EXIT_STATUS_H_

namespace scenario::tool {

inline constexpr int kExitOk = 0;
// A numbered failure or a stamp error; for decompile, texts that do not give
// the files back exactly.
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// A file that could not be read or written, or is damaged.
inline constexpr int kExitFile = 3;

}  // namespace scenario::tool

#endif  // SCENARIO_TOOL_EXIT_STATUS_H_
