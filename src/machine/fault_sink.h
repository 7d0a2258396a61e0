// Where a machine sends the faults met inside emulated code (a routine that
// crashed or never returned, a player archive that cannot be read): the machine
// words them, whoever drives it shows them (a message box in the plugin on
// Windows, a line on standard error from the command line).
#pragma once

#include <functional>
#include <string>

namespace varno {

using FaultSink = std::function<void(const std::string& text)>;

} // namespace varno
