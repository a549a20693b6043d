// Where kopsou keeps its files.
#pragma once

#include <string>

namespace kop {

// The searcher's data folder: $XDG_CACHE_HOME/kopsou/, or ~/.cache/kopsou/
// when that is unset or not absolute. Ends with "/". Not created here.
std::string DefaultDataFolder();

// The folder of the running executable, ending with "/"; "./" when it cannot
// be found.
std::string ApplicationFolder();

}  // namespace kop
