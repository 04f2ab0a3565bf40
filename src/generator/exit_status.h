// Exit statuses of scenario-generator.  The simulator's own program showed a
// box and ended; here the status tells a script what happened.
#ifndef SCENARIO_GENERATOR_EXIT_STATUS_H_
#define SCENARIO_GENERATOR_EXIT_STATUS_H_

namespace scenario::generator {

inline constexpr int kExitOk = 0;
// A numbered reader failure, or a stamp check (" Errore n. 1250" / 1251).
inline constexpr int kExitFailure = 1;
// A file that could not be read or written, memory that ran out, or an
// argument given to a program that takes none.
inline constexpr int kExitFileOrUsage = 2;

}  // namespace scenario::generator

#endif  // SCENARIO_GENERATOR_EXIT_STATUS_H_
