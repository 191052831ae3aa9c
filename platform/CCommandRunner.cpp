#include "platform/CCommandRunner.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

void CloseIfOpen(int& fd)
{
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Non-blocking wait; true when the child has ended and status holds it.
bool Reaped(pid_t pid, int& status)
{
    for (;;) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return true;
        if (r < 0 && errno == EINTR) continue;
        return false;
    }
}

void Pause(std::chrono::milliseconds time) { ::poll(nullptr, 0, static_cast<int>(time.count())); }

// Ends the child by its pid: SIGTERM, a grace time, then SIGKILL; reaps it.
void EndChild(pid_t pid)
{
    ::kill(pid, SIGTERM);
    int status = 0;
    const auto giveUp = Clock::now() + CCommandRunner::kTermGrace;
    while (Clock::now() < giveUp) {
        if (Reaped(pid, status)) return;
        Pause(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

CCommandRunner::SOutcome CCommandRunner::Run(const std::vector<std::string>& argv, std::string_view standardInput,
                                             std::chrono::milliseconds timeLimit, bool captureErrors)
{
    SOutcome outcome;
    if (argv.empty()) return outcome;

    int input[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) return outcome;
    int errors[2] = {-1, -1};
    if (captureErrors && ::pipe2(errors, O_CLOEXEC) != 0) {
        CloseIfOpen(input[0]);
        CloseIfOpen(input[1]);
        return outcome;
    }

    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[1], STDIN_FILENO);
    if (captureErrors) posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    CloseIfOpen(input[1]);
    CloseIfOpen(errors[1]);
    if (spawned != 0) {
        CloseIfOpen(input[0]);
        CloseIfOpen(errors[0]);
        return outcome;
    }
    outcome.started = true;

    ::fcntl(input[0], F_SETFL, O_NONBLOCK);
    if (errors[0] >= 0) ::fcntl(errors[0], F_SETFL, O_NONBLOCK);
    if (standardInput.empty()) ::shutdown(input[0], SHUT_WR);

    const auto deadline = Clock::now() + timeLimit;
    std::size_t sent = 0;
    int status = 0;
    bool ended = false;
    while (!ended) {
        const auto now = Clock::now();
        if (now >= deadline) break;
        pollfd fds[2];
        nfds_t count = 0;
        const bool writing = input[0] >= 0 && sent < standardInput.size();
        if (writing) fds[count++] = {input[0], POLLOUT, 0};
        const nfds_t errorSlot = count;
        if (errors[0] >= 0) fds[count++] = {errors[0], POLLIN, 0};
        // Short waits: the child's end is seen by waitpid, not by a
        // descriptor (it may leave a grandchild holding its stderr).
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        const int wait = static_cast<int>(std::min<long long>(left.count(), 50));
        const int ready = ::poll(count ? fds : nullptr, count, wait);
        if (ready > 0) {
            if (writing && fds[0].revents != 0) {
                const ssize_t n =
                    ::send(input[0], standardInput.data() + sent, standardInput.size() - sent, MSG_NOSIGNAL);
                if (n > 0) sent += static_cast<std::size_t>(n);
                // The child stopped reading: what it did not take is its
                // concern, its exit status tells the result.
                if (n < 0 && errno != EAGAIN && errno != EINTR) CloseIfOpen(input[0]);
                if (sent >= standardInput.size() && input[0] >= 0) ::shutdown(input[0], SHUT_WR);
            }
            if (errors[0] >= 0 && fds[errorSlot].revents != 0) {
                char buffer[512];
                const ssize_t n = ::read(errors[0], buffer, sizeof buffer);
                if (n > 0) {
                    const std::size_t room = kErrorTextBytes - std::min(kErrorTextBytes, outcome.errorText.size());
                    outcome.errorText.append(buffer, std::min<std::size_t>(room, static_cast<std::size_t>(n)));
                } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                    CloseIfOpen(errors[0]);
                }
            }
        }
        ended = Reaped(pid, status);
    }
    // What the child wrote just before it ended.
    if (ended && errors[0] >= 0) {
        char buffer[512];
        ssize_t n;
        while ((n = ::read(errors[0], buffer, sizeof buffer)) > 0) {
            const std::size_t room = kErrorTextBytes - std::min(kErrorTextBytes, outcome.errorText.size());
            outcome.errorText.append(buffer, std::min<std::size_t>(room, static_cast<std::size_t>(n)));
        }
    }
    CloseIfOpen(input[0]);
    CloseIfOpen(errors[0]);

    if (!ended) {
        EndChild(pid);
        outcome.timedOut = true;
        return outcome;
    }
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

std::string CCommandRunner::FirstLine(std::string_view text, std::size_t maxBytes)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    text = text.substr(0, text.find('\n'));
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text.substr(0, maxBytes));
}
