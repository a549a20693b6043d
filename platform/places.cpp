#include "platform/places.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace kop {

std::string DefaultDataFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  std::string folder;
  if (cache != nullptr && cache[0] == '/') {
    folder = cache;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::string(home != nullptr ? home : "") + "/.cache";
  }
  if (folder.back() != '/') folder += '/';
  return folder + "kopsou/";
}

std::string ApplicationFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  std::string exe(path, static_cast<std::size_t>(n));
  return exe.substr(0, exe.rfind('/') + 1);
}

}  // namespace kop
