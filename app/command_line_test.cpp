// Drives the built program as scripts do: arguments in, bytes and an exit
// status out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "search/test_tree.h"

extern char** environ;

namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Drain(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
  close(fd);
  return text;
}

// Runs kopsou with `args` and the extra environment `env` (NAME=VALUE).
// With `interrupted`, SIGINT is pending from the start.
Outcome Kopsou(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
           bool interrupted = false) {
  std::vector<std::string> all = {KOPSOU_EXE};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::string(*e).rfind("KOPSOU_", 0) != 0) environment.push_back(*e);
  }
  environment.insert(environment.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);

  int outPipe[2];
  int errPipe[2];
  EXPECT_EQ(pipe(outPipe), 0);
  EXPECT_EQ(pipe(errPipe), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  posix_spawn_file_actions_addclose(&actions, outPipe[0]);
  posix_spawn_file_actions_addclose(&actions, errPipe[0]);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (interrupted) {
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    posix_spawnattr_setsigmask(&attributes, &blocked);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  }
  pid_t pid;
  Outcome run;
  EXPECT_EQ(posix_spawn(&pid, KOPSOU_EXE, &actions, &attributes, argv.data(), envp.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (interrupted) kill(pid, SIGINT);
  close(outPipe[1]);
  close(errPipe[1]);
  run.out = Drain(outPipe[0]);
  run.err = Drain(errPipe[0]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return run;
}

std::vector<std::string> SortedLines(const std::string& text, char end = '\n') {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t next = text.find(end, pos);
    lines.push_back(text.substr(pos, next - pos));
    if (next == std::string::npos) break;
    pos = next + 1;
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

class CommandLine : public testing::Test {
 protected:
  void SetUp() override {
    tree.File("docs/Report.TXT", "nothing");
    tree.File("docs/notes.txt", "the Needle is here");
    tree.File("docs/wide.txt", std::string("\xFF\xFEn\0e\0e\0d\0l\0e\0", 14));
    tree.File("docs/sub/other.doc", "needle");
    tree.File("docs/sub/line\nbreak.txt", "");
  }
  std::string Docs() const { return tree.Path("docs"); }
  std::string DataDir() const { return data.Path("cache"); }
  TempTree tree;
  TempTree data;
};

TEST_F(CommandLine, PrintsFoundPathsWritesTheCacheAndExitsZero) {
  const Outcome run = Kopsou({"search", "--type", "*.txt", "--data-dir", DataDir(), Docs()}, {});
  EXPECT_EQ(run.status, 0) << run.err;
  // The name with a line break shows why scripts want -0.
  auto lines = SortedLines(run.out);
  EXPECT_EQ(lines, (std::vector<std::string>{Docs() + "/Report.TXT", Docs() + "/notes.txt",
                                             Docs() + "/sub/line", Docs() + "/wide.txt",
                                             "break.txt"}));
  EXPECT_EQ(run.err, "") << "stderr is no terminal: no progress, no summary";
  const std::string cache = TempTree::ReadPath(DataDir() + "/" + Docs().substr(0, 1) + "txt.dat");
  EXPECT_EQ(SortedLines(cache), (std::vector<std::string>{Docs() + "\r", Docs() + "/sub\r"}));
}

TEST_F(CommandLine, KeywordFindsNameAndBothContentFormsWithNulRecords) {
  const Outcome run = Kopsou({"search", "--keyword=NEEDLE", "--type=*.txt;*.doc", "-0",
                          "--data-dir", DataDir(), Docs()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(SortedLines(run.out, '\0'),
            (std::vector<std::string>{Docs() + "/notes.txt", Docs() + "/sub/other.doc",
                                      Docs() + "/wide.txt"}));
}

TEST_F(CommandLine, EventsShowEveryReportInOrder) {
  tree.File("flat/a.txt");
  const std::string flat = tree.Path("flat");
  const Outcome run = Kopsou({"search", "--events", "--type", "*.txt", "--data-dir", DataDir(), flat + "/"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "folder\t" + flat + "\nfound\t" + flat + "/a.txt\nfinished\t" + flat + "/\n");
}

TEST_F(CommandLine, ExitStatusTellsFoundNothingAndErrors) {
  struct Case { const char* name; std::vector<std::string> args; int status; std::string errStart; };
  data.File("plain");
  const Case cases[] = {
      {"nothing found", {"search", "--keyword", "absent-word", "--data-dir", DataDir(), Docs()}, 1, ""},
      {"blank location", {"search", "--data-dir", DataDir(), " \t"}, 2, "kopsou search: LOCATION is blank"},
      {"no location", {"search"}, 2, "kopsou search: LOCATION is missing"},
      {"unknown option", {"search", "--fast", Docs()}, 2, "kopsou search: unknown option --fast"},
      {"option without value", {"search", Docs(), "--type"}, 2, "kopsou search: --type needs a value"},
      {"cache cannot be written", {"search", "--data-dir", data.Path("plain/x"), Docs()}, 2,
       "不能创建文件 " + data.Path("plain/x/") + Docs().substr(0, 1) + ".dat\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome run = Kopsou(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart) << run.err;
  }
  // The reports made before the failure stay printed.
  const Outcome failed = Kopsou({"search", "--type", "*.doc", "--data-dir", data.Path("plain/x"), Docs()});
  EXPECT_EQ(failed.out, Docs() + "/sub/other.doc\n");
}

TEST_F(CommandLine, CodePage936ConvertsTheKeywordAndTheMessages) {
  tree.File("gbk/a.txt", "xx\xD6\xD0\xCE\xC4xx");       // 中文 in code page 936
  tree.File("gbk/b.txt", "xx中文xx");                   // the same in UTF-8
  const Outcome run = Kopsou({"search", "--keyword", "\xD6\xD0\xCE\xC4", "--data-dir", DataDir(),
                          tree.Path("gbk")},
                         {"KOPSOU_CODEPAGE=936"});
  EXPECT_EQ(run.out, tree.Path("gbk") + "/a.txt\n");
  data.File("plain");
  const Outcome failed = Kopsou({"search", "--data-dir", data.Path("plain/x"), tree.Path("gbk")},
                            {"KOPSOU_CODEPAGE=936"});
  EXPECT_EQ(failed.err.substr(0, 13), "\xB2\xBB\xC4\xDC\xB4\xB4\xBD\xA8\xCE\xC4\xBC\xFE ");
  const Outcome warned = Kopsou({"search", "--data-dir", DataDir(), tree.Path("gbk")},
                            {"KOPSOU_CODEPAGE=latin1"});
  EXPECT_NE(warned.err.find("KOPSOU_CODEPAGE=latin1"), std::string::npos);
  EXPECT_EQ(warned.status, 0);
}

TEST_F(CommandLine, InterruptStopsTheWalkAndLeavesNoCacheFile) {
  // The program starts with SIGINT blocked and pending, so Ctrl-C arrives the
  // moment it is ready to take it, before the first report: every report is
  // then answered with stop.
  const Outcome run = Kopsou({"search", "--events", "--data-dir", DataDir(), Docs()}, {}, true);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "folder\t" + Docs() + "\nfinished\t" + Docs() + "\n");
  EXPECT_FALSE(std::filesystem::exists(DataDir() + "/" + Docs().substr(0, 1) + ".dat"));
}

TEST_F(CommandLine, QuickSearchReadsTheCacheFileOfAFullSearch) {
  const std::string cache = DataDir() + "/" + Docs().substr(0, 1) + "txt.dat";
  const Outcome full = Kopsou({"search", "--quick", "--type", "*.txt", "--data-dir", DataDir(), Docs()});
  EXPECT_EQ(full.status, 0);
  EXPECT_NE(full.out.find(Docs() + "/notes.txt\n"), std::string::npos);

  // A hand-edited cache: only the listed folder is visited, one level deep.
  std::ofstream(cache, std::ios::binary) << Docs() + "/sub\n" + tree.Path("elsewhere") + "\n";
  const Outcome quick = Kopsou({"search", "--quick", "--events", "--type", "*.txt", "--data-dir",
                                DataDir(), Docs()});
  EXPECT_EQ(quick.status, 0);
  EXPECT_EQ(quick.out, "folder\t" + Docs() + "/sub\nfound\t" + Docs() + "/sub/line\nbreak.txt\n" +
                           "folder\t" + tree.Path("elsewhere") + "\n");

  std::ofstream(cache, std::ios::binary) << "";
  const Outcome empty = Kopsou({"search", "--quick", "--type", "*.txt", "--data-dir", DataDir(), Docs()});
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.out, "");

  std::filesystem::remove(cache);
  mkfifo(cache.c_str(), 0644);  // exists, but cannot be read as a file
  const Outcome broken = Kopsou({"search", "--quick", "--type", "*.txt", "--data-dir", DataDir(), Docs()});
  EXPECT_EQ(broken.status, 2);
  EXPECT_EQ(broken.out, "");
  EXPECT_EQ(broken.err, "不能打开文件 " + cache + "\n");
}

TEST(CommandLineHelp, DocumentsEveryOption) {
  const Outcome run = Kopsou({"search", "--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* option : {"--quick", "--type", "--keyword", "--data-dir", "--events", "-0",
                             "KOPSOU_CODEPAGE", "Exit status"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
}

}  // namespace
