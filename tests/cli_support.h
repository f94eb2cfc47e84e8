// Running the command-line programs from tests: a whole run through a shell
// (standard output and error together), or a child whose output is read
// line by line while it runs.
#ifndef VANTREL_TESTS_CLI_SUPPORT_H_
#define VANTREL_TESTS_CLI_SUPPORT_H_

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vantrel::testing {

struct Result {
  int status = -1;
  std::string out;
};

inline std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs the wizard from the source folder with `args` and the shell's
// `redirect` of standard error; returns what it wrote on standard output.
inline Result RunCliRedirected(const std::vector<std::string>& args, const std::string& redirect) {
  std::string command = "cd " + Quote(VANTREL_SOURCE_DIR) + " && " + Quote(VANTREL_CLI_PATH);
  for (const std::string& a : args) command += " " + Quote(a);
  command += " " + redirect;
  Result r;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) r.out.append(buf.data(), n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// Runs the wizard from the source folder with `args`; stdout and stderr
// together.
inline Result RunCli(const std::vector<std::string>& args) {
  return RunCliRedirected(args, "2>&1");
}

// Each of `pieces` is somewhere in `text`.
inline void ExpectPieces(const std::string& text, const std::vector<std::string>& pieces) {
  for (const std::string& piece : pieces) {
    EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
  }
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the wizard as RunCli does, standard output and error apart.
struct ApartResult {
  int status = -1;
  std::string out, err;
};
inline ApartResult RunCliApart(const std::vector<std::string>& args) {
  char path[] = "/tmp/vantrel-cli-err-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return {};
  close(fd);
  const Result r = RunCliRedirected(args, "2>" + Quote(path));
  ApartResult apart{r.status, r.out, ReadFile(path)};
  unlink(path);
  return apart;
}

class TempDir {
 public:
  TempDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("vantrel-cli-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

// A program started with its standard output and error on one pipe.
struct Child {
  Child(const char* path, const std::vector<std::string>& args) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    pid = fork();
    if (pid == 0) {
      dup2(fds[1], 1);
      dup2(fds[1], 2);
      close(fds[0]);
      close(fds[1]);
      if (chdir(VANTREL_SOURCE_DIR) != 0) _exit(126);
      std::vector<char*> argv{const_cast<char*>(path)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(path, argv.data());
      _exit(127);
    }
    close(fds[1]);
    out = fdopen(fds[0], "r");
  }
  ~Child() {
    if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
    if (out != nullptr) fclose(out);
  }
  // Reads lines until one holds `piece`; returns what was read.
  std::string ReadUntil(const std::string& piece) {
    std::string text;
    char line[4096];
    while (text.find(piece) == std::string::npos && fgets(line, sizeof line, out) != nullptr) {
      text += line;
    }
    return text;
  }
  // Reads to the end and returns the exit status.
  int Wait(std::string* rest) {
    *rest = ReadUntil("\x01never\x01");
    int status = 0;
    waitpid(pid, &status, 0);
    pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  pid_t pid = -1;
  FILE* out = nullptr;
};

}  // namespace vantrel::testing

#endif  // VANTREL_TESTS_CLI_SUPPORT_H_
