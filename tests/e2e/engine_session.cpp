#include "e2e/engine_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace tarn::test {

EngineSession::EngineSession(const std::string& program) {
  ::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC)) return;
  pid = fork();
  if (pid < 0) return;
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) dup2(devNull, 2);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  toEngine = in[1];
  fromEngine = out[0];
}

EngineSession::~EngineSession() {
  if (toEngine >= 0) close(toEngine);
  if (fromEngine >= 0) close(fromEngine);
  if (pid > 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

void EngineSession::send(const std::string& line) {
  const std::string text = line + "\n";
  if (toEngine >= 0 && write(toEngine, text.data(), text.size()) != ssize_t(text.size())) {
    close(toEngine);
    toEngine = -1;
  }
}

std::vector<std::string> EngineSession::readUntil(const std::function<bool(const std::string&)>& done,
                                                  std::chrono::milliseconds limit) {
  std::vector<std::string> lines;
  timeout = false;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      pending.erase(0, end + 1);
      lines.push_back(line);
      if (done(line)) return lines;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || fromEngine < 0) {
      timeout = true;
      return lines;
    }
    pollfd p{fromEngine, POLLIN, 0};
    if (poll(&p, 1, int(left.count())) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(fromEngine, buffer, sizeof buffer);
    if (n <= 0) {
      close(fromEngine);
      fromEngine = -1;
      continue;
    }
    pending.append(buffer, size_t(n));
  }
}

std::vector<std::string> EngineSession::readUntilPrefix(const std::string& prefix, std::chrono::milliseconds limit) {
  return readUntil([&](const std::string& line) { return line.rfind(prefix, 0) == 0; }, limit);
}

void EngineSession::signal(int number) {
  if (pid > 0) kill(pid, number);
}

int EngineSession::quit(std::chrono::milliseconds limit) {
  send("quit");
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      pid = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    usleep(10000);
  }
  return -1;
}

long long infoValue(const std::string& line, const std::string& key) {
  std::istringstream words(line);
  std::string word;
  while (words >> word)
    if (word == key && words >> word) return std::atoll(word.c_str());
  return -1;
}

}  // namespace tarn::test
