#include "app/command_line.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "helpers/search_text.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/places.h"
#include "search/kopkuisou.h"

namespace {

volatile sig_atomic_t interrupted = 0;

// What the callback needs; it is a plain routine, so this is the one place
// that holds it.
struct Output {
  bool events = false;
  char terminator = '\n';
  bool showProgress = false;
  long foundReports = 0;
  std::chrono::steady_clock::time_point lastProgress;
} output;

void OnInterrupt(int) { interrupted = 1; }

void WriteRecord(const char* name, const std::string& path) {
  if (output.events) {
    std::fputs(name, stdout);
    std::fputc('\t', stdout);
  }
  std::fwrite(path.data(), 1, path.size(), stdout);
  std::fputc(output.terminator, stdout);
}

void ShowProgress(const std::string& folder) {
  // A terminal redraws slowly; one line now and then tells as much.
  const auto now = std::chrono::steady_clock::now();
  if (now - output.lastProgress < std::chrono::milliseconds(50)) return;
  output.lastProgress = now;
  std::string line = "\r\033[K" + folder.substr(0, 100);
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void CommandLineCallback(const std::string& path, std::int32_t code, bool& stop) {
  // Once Ctrl-C was pressed, every report is answered with stop, so the walk
  // winds down as the window's stop button makes it.
  stop = interrupted != 0;
  switch (code) {
    case scFound:
      ++output.foundReports;
      WriteRecord("found", path);
      break;
    case scFolder:
      if (output.events) WriteRecord("folder", path);
      if (output.showProgress) ShowProgress(path);
      break;
    case scFinished:
      if (output.events) WriteRecord("finished", path);
      break;
    default:
      break;
  }
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "kopsou search: %s\nTry 'kopsou --help'.\n", message.c_str());
  return 2;
}

// The value of an option given as "--name VALUE" or "--name=VALUE".
bool TakeValue(const char* option, int argc, char** argv, int* i, std::string* value) {
  const std::size_t length = std::strlen(option);
  const char* arg = argv[*i];
  if (std::strncmp(arg, option, length) != 0) return false;
  if (arg[length] == '=') {
    *value = arg + length + 1;
    return true;
  }
  if (arg[length] != '\0') return false;
  if (*i + 1 >= argc) throw std::invalid_argument(std::string(option) + " needs a value");
  *value = argv[++*i];
  return true;
}

}  // namespace

const char* UsageText() {
  return "Usage:\n"
         "  kopsou                 open the search window\n"
         "  kopsou search [--quick] [--type PATTERN] [--keyword TEXT] [--data-dir DIR]\n"
         "                [--events] [-0] LOCATION\n"
         "\n"
         "Searches the folder tree below LOCATION for files of a type that hold a\n"
         "keyword, as the window does.\n"
         "\n"
         "  --type PATTERN    file types, free text such as \"*.txt;*.doc\": a file fits when\n"
         "                    its extension (dot included, letter case ignored) occurs in\n"
         "                    PATTERN, or PATTERN holds \"*.*\" (the default)\n"
         "  --keyword TEXT    keep only files whose name holds TEXT (letter case ignored),\n"
         "                    or whose bytes hold it as they are or as UTF-16LE (only the\n"
         "                    letters a-z count equal to A-Z); empty (the default) keeps all\n"
         "  --quick           visit only the folders that the last full search of this\n"
         "                    type recorded in the folder cache file; without such a file,\n"
         "                    a full search\n"
         "  --data-dir DIR    folder of the folder cache files (default\n"
         "                    $XDG_CACHE_HOME/kopsou, else ~/.cache/kopsou; created when\n"
         "                    missing)\n"
         "  --events          print every report as NAME<TAB>PATH, NAME being found,\n"
         "                    folder or finished; without it only found paths are printed\n"
         "  -0                end each record with a NUL byte instead of a newline\n"
         "  --help            show this text\n"
         "\n"
         "Paths are printed as their exact bytes. A full search that is not interrupted\n"
         "writes the folder cache file. Ctrl-C stops the search; the folder cache file is\n"
         "then not written. While stderr is a terminal it shows the folder being scanned\n"
         "and a closing summary.\n"
         "\n"
         "Exit status: 0 when a file was found, 1 when none, 2 on an error.\n"
         "\n"
         "Environment: KOPSOU_CODEPAGE=936 treats names, keyword and messages as code\n"
         "page 936 (GBK) instead of UTF-8.\n";
}

int RunSearchCommand(int argc, char** argv) {
  bool quick = false;
  std::string pattern = "*.*";
  std::string keyword;
  std::string dataDir;
  std::string location;
  bool haveLocation = false;
  bool optionsEnded = false;
  try {
    for (int i = 0; i < argc; ++i) {
      const std::string arg = argv[i];
      if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
        if (arg == "--") {
          optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
          std::fputs(UsageText(), stdout);
          return 0;
        } else if (arg == "--quick") {
          quick = true;
        } else if (arg == "--events") {
          output.events = true;
        } else if (arg == "-0") {
          output.terminator = '\0';
        } else if (!TakeValue("--type", argc, argv, &i, &pattern) &&
                   !TakeValue("--keyword", argc, argv, &i, &keyword) &&
                   !TakeValue("--data-dir", argc, argv, &i, &dataDir)) {
          return UsageError("unknown option " + arg);
        }
        continue;
      }
      if (haveLocation) return UsageError("more than one LOCATION: " + arg);
      location = arg;
      haveLocation = true;
    }
  } catch (const std::invalid_argument& e) {
    return UsageError(e.what());
  }
  if (!haveLocation) return UsageError("LOCATION is missing");
  if (kop::IsBlankText(location)) return UsageError("LOCATION is blank");

  if (dataDir.empty()) dataDir = kop::DefaultDataFolder();
  kop::MakeFolders(dataDir);

  static char stdoutBuffer[1 << 16];
  std::setvbuf(stdout, stdoutBuffer, _IOFBF, sizeof stdoutBuffer);
  output.showProgress = isatty(STDERR_FILENO) != 0;

  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  // Ctrl-C must reach the walk even when the parent started us with SIGINT
  // blocked; a press that is already pending stops the search at once.
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  sigprocmask(SIG_UNBLOCK, &interrupt, nullptr);

  const kop::CodePage codePage = kop::ProcessCodePage();
  Tkopkuisou searcher(dataDir, codePage);
  const double startDays = kop::CurrentClock().LocalNowDays();
  int status = 0;
  try {
    searcher.Search(keyword, location, pattern, quick, CommandLineCallback);
    status = output.foundReports > 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::fflush(stdout);
    if (output.showProgress) std::fputs("\r\033[K", stderr);
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  }
  std::fflush(stdout);
  if (output.showProgress) {
    const double seconds = kop::ElapsedSeconds(startDays, kop::CurrentClock().LocalNowDays());
    const std::string summary = kop::FromUtf8(
        kop::SearchSummaryText(static_cast<int>(output.foundReports), seconds), codePage);
    std::fprintf(stderr, "\r\033[K%s\n", summary.c_str());
  }
  return status;
}
