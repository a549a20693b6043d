// kopsou: the search window, or `kopsou search` for the command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dlfcn.h>

#include "app/command_line.h"
#include "platform/code_page.h"
#include "platform/places.h"

namespace {

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string warning;
  kop::SetProcessCodePage(kop::CodePageFromEnvironment(&warning));
  if (!warning.empty()) std::fprintf(stderr, "%s\n", warning.c_str());

  if (argc >= 2 && std::strcmp(argv[1], "search") == 0) return RunSearchCommand(argc - 2, argv + 2);
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (!HasDisplay()) {
    std::fputs("kopsou: no display to open the window on (DISPLAY is not set).\n"
               "Start it under a virtual display with: xvfb-run -a kopsou\n"
               "or search from the command line: kopsou search --help\n",
               stderr);
    return 1;
  }

  // The window lives in a module beside the program: loading the toolkit
  // only here keeps the command line's start-up short.
  const std::string module = kop::ApplicationFolder() + "kopsou_window.so";
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  using RunWindow = int (*)(int, char**);
  auto run = handle != nullptr ? reinterpret_cast<RunWindow>(dlsym(handle, "KopsouRunWindow"))
                               : nullptr;
  if (run == nullptr) {
    std::fprintf(stderr, "kopsou: cannot load the window: %s\n", dlerror());
    return 1;
  }
  return run(argc, argv);
}
