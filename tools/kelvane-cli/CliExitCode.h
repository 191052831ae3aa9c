// kelvane-cli's exit codes, shared by the commands it runs, so that a command
// does not include the front end that runs it.
#pragma once

namespace CliExitCode {
inline constexpr int kOk = 0;
inline constexpr int kOutputFailed = 1;
// Bad options, a missing directory, or an engine that did not start.
inline constexpr int kFailed = 2;
// Everything was shown, but a reading of an enabled item failed.
inline constexpr int kReadFailed = 3;
}  // namespace CliExitCode
