// Child processes for the validator: fork, a pipe of messages, a deadline.
#include "host/validate/check_process.h"

#include "host/host_error.h"
#include "host/validate/check_failure.h"

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitizerBuild = true;
#else
constexpr bool kSanitizerBuild = false;
#endif
#else
constexpr bool kSanitizerBuild = false;
#endif

// A plug-in told to prepare for absurd block sizes may try to take absurd amounts of
// memory; on a shared machine that must fail quickly rather than swap.
constexpr rlim_t kChildAddressSpaceBytes = (rlim_t)16 << 30;

void runWork(const std::function<void(ChildChannel&)>& work, ChildChannel& channel) {
    try {
        work(channel);
    } catch (const CheckFailure& failure) {
        channel.send('F', failure.what());
    } catch (const HostError& error) {
        channel.send('F', error.what());
    } catch (const std::bad_alloc&) {
        channel.send('F', "out of memory");
    } catch (const std::exception& error) {
        channel.send('F', std::string("exception: ") + error.what());
    } catch (...) {
        channel.send('F', "the plug-in threw an unknown exception");
    }
}

void childMain(const std::function<void(ChildChannel&)>& work, int fd) {
    setpgid(0, 0);
    signal(SIGPIPE, SIG_DFL);
    // Plug-ins that talk on stdout must not mix with the validator's result lines.
    dup2(STDERR_FILENO, STDOUT_FILENO);
    if (!kSanitizerBuild) {
        rlimit limit{kChildAddressSpaceBytes, kChildAddressSpaceBytes};
        setrlimit(RLIMIT_AS, &limit);
    }
    ChildChannel channel(fd);
    runWork(work, channel);
    std::fflush(nullptr);
    // exit rather than _exit: sanitizers report leaks and races, and set the status, here.
    std::exit(0);
}

} // namespace

void ChildChannel::send(char kind, const std::string& text) {
    if (local) {
        local->emplace_back(kind, text);
        return;
    }
    std::string line(1, kind);
    line += ' ';
    for (char c : text)
        line += (c == '\n' || c == '\r') ? ' ' : c;
    line += '\n';
    const char* data = line.data();
    size_t left = line.size();
    while (left > 0) {
        ssize_t written = write(fd_, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        left -= (size_t)written;
    }
}

std::string ChildOutcome::last(char kind) const {
    for (auto it = messages.rbegin(); it != messages.rend(); ++it)
        if (it->first == kind)
            return it->second;
    return std::string();
}

std::vector<std::string> ChildOutcome::all(char kind) const {
    std::vector<std::string> found;
    for (const auto& message : messages)
        if (message.first == kind)
            found.push_back(message.second);
    return found;
}

std::string ChildOutcome::failure() const {
    std::string step = last('S');
    std::string during = step.empty() ? "" : " during " + step; // an empty step clears it
    if (timedOut)
        return "did not finish in time" + during;
    if (signal != 0) {
        const char* name = strsignal(signal);
        return std::string("crashed with signal ") + std::to_string(signal) + " (" + (name ? name : "?") + ")" +
               during;
    }
    std::string reason = last('F');
    if (!reason.empty())
        return reason + during;
    if (exitStatus != 0)
        return "the process exited with status " + std::to_string(exitStatus) +
               " after its work (a sanitizer report or an exit from the plug-in; see stderr)" + during;
    return std::string();
}

ChildOutcome runInChild(const std::function<void(ChildChannel&)>& work, double timeoutSeconds, bool inProcess) {
    ChildOutcome outcome;
    if (inProcess) {
        ChildChannel channel(-1);
        channel.local = &outcome.messages;
        runWork(work, channel);
        return outcome;
    }
    int fds[2];
    if (pipe(fds) != 0)
        throw HostError("cannot create a pipe for a check");
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0)
        throw HostError("cannot fork a process for a check");
    if (pid == 0) {
        close(fds[0]);
        childMain(work, fds[1]);
    }
    close(fds[1]);
    setpgid(pid, pid); // as the child does, so that killing the group cannot miss

    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    std::string pending;
    char buffer[4096];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            outcome.timedOut = true;
            break;
        }
        pollfd descriptor{fds[0], POLLIN, 0};
        int ready = poll(&descriptor, 1, (int)std::min<long long>(left.count(), 1000));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            continue;
        ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        pending.append(buffer, (size_t)got);
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            if (end >= 2)
                outcome.messages.emplace_back(pending[0], pending.substr(2, end - 2));
            pending.erase(0, end + 1);
        }
    }
    if (outcome.timedOut)
        kill(-pid, SIGKILL);
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (outcome.timedOut)
        kill(-pid, SIGKILL); // whatever the child left behind in its group
    if (WIFSIGNALED(status) && !outcome.timedOut)
        outcome.signal = WTERMSIG(status);
    else if (WIFEXITED(status))
        outcome.exitStatus = WEXITSTATUS(status);
    return outcome;
}
