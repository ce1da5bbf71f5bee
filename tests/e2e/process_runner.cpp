#include "e2e/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarn::test {

namespace {

void closeIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& arguments, const ProcessOptions& options) {
  ProcessResult result;
  // A child that exits before reading all its input must not kill the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);

  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return result;

  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }

  close(in[0]);
  close(out[1]);
  close(err[1]);
  int toChild = in[1], fromOut = out[0], fromErr = err[0];
  fcntl(toChild, F_SETFL, O_NONBLOCK);
  size_t written = 0;
  if (options.input.empty() && options.closeInput) closeIfOpen(toChild);

  const auto deadline = std::chrono::steady_clock::now() + options.timeout;
  char buffer[65536];
  while (fromOut >= 0 || fromErr >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      break;
    }
    pollfd fds[3];
    int n = 0;
    if (fromOut >= 0) fds[n++] = {fromOut, POLLIN, 0};
    if (fromErr >= 0) fds[n++] = {fromErr, POLLIN, 0};
    const bool writing = toChild >= 0 && written < options.input.size();
    if (writing) fds[n++] = {toChild, POLLOUT, 0};
    const int ready = poll(fds, nfds_t(n), int(std::min<long long>(left.count(), 100)));
    if (ready < 0 && errno != EINTR) break;
    for (int i = 0; i < n; ++i) {
      if (!fds[i].revents) continue;
      if (fds[i].fd == toChild) {
        const ssize_t w = write(toChild, options.input.data() + written, options.input.size() - written);
        if (w > 0) written += size_t(w);
        if (w < 0 && errno != EAGAIN) closeIfOpen(toChild);  // the child closed its input
        if (toChild >= 0 && written == options.input.size() && options.closeInput) closeIfOpen(toChild);
        continue;
      }
      const ssize_t r = read(fds[i].fd, buffer, sizeof buffer);
      std::string& target = fds[i].fd == fromOut ? result.out : result.err;
      if (r > 0)
        target.append(buffer, size_t(r));
      else if (r == 0 || errno != EAGAIN)
        closeIfOpen(fds[i].fd == fromOut ? fromOut : fromErr);
    }
  }

  if (result.timedOut) kill(pid, SIGKILL);
  closeIfOpen(toChild);
  closeIfOpen(fromOut);
  closeIfOpen(fromErr);

  // Output closed does not mean exited; wait, but never past the deadline.
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0) return result;
    if (std::chrono::steady_clock::now() >= deadline) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    usleep(2000);
  }
  if (!result.timedOut && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace tarn::test
