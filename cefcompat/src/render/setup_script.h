#pragma once

#include <string>

namespace cefcompat {

// The script the render side has run at the start of every document of its
// sessions: the prelude, each registered extension, then the wait for the
// render side's setup of the context.
std::string SetupScriptSource();

}  // namespace cefcompat
