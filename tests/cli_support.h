// Running the command-line programs from tests: a child whose standard
// output and error (together, or the error apart) are read line by line while
// it runs, or whole.
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

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each of `pieces` is somewhere in `text`.
inline void ExpectPieces(const std::string& text, const std::vector<std::string>& pieces) {
  for (const std::string& piece : pieces) {
    EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
  }
}

// A new folder under /tmp, removed with everything in it at the end.
class TempDir {
 public:
  TempDir() {
    char path[] = "/tmp/vantrel-cli-XXXXXX";
    path_ = mkdtemp(path);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A program started with its standard output and error on one pipe (its
// error to `err` instead, if that is open).
struct Child {
  Child(const char* path, const std::vector<std::string>& args, int err = -1) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    std::vector<char*> argv{const_cast<char*>(path)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid = fork();
    if (pid == 0) {
      dup2(fds[1], 1);
      dup2(err >= 0 ? err : fds[1], 2);
      close(fds[0]);
      close(fds[1]);
      if (chdir(VANTREL_SOURCE_DIR) != 0) _exit(126);
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
    rest->clear();
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), out)) > 0) rest->append(buf.data(), n);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  pid_t pid = -1;
  FILE* out = nullptr;
};

struct Result {
  int status = -1;
  std::string out, err;  // err: only when run `apart`
};

// Runs the wizard from the source folder with `args`, its standard error
// with its standard output, or `apart` from it.
inline Result RunCli(const std::vector<std::string>& args, bool apart = false) {
  char path[] = "/tmp/vantrel-cli-err-XXXXXX";
  const int fd = apart ? mkstemp(path) : -1;
  Child child(VANTREL_CLI_PATH, args, fd);
  Result r;
  r.status = child.Wait(&r.out);
  if (apart) {
    r.err = ReadFile(path);
    close(fd);
    unlink(path);
  }
  return r;
}

}  // namespace vantrel::testing

#endif  // VANTREL_TESTS_CLI_SUPPORT_H_
