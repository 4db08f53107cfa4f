// Runs a piece of work in a child process, so that a crash, a hang or a sanitizer
// report ends the child and not the validator.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The child's end of the conversation: short messages to the parent, one per line.
// Kinds: 'S' the step the child is about to take (named when it crashes), 'N' a note
// for the report, 'F' the reason the work failed, 'D' data for the caller.
class ChildChannel {
public:
    explicit ChildChannel(int fd) : fd_(fd) {}
    void send(char kind, const std::string& text);
    // Without a child process (--no-fork) messages are kept here instead.
    std::vector<std::pair<char, std::string>>* local = nullptr;

private:
    int fd_;
};

struct ChildOutcome {
    std::vector<std::pair<char, std::string>> messages;
    bool timedOut = false;
    int signal = 0;      // the signal that ended the child, or 0
    int exitStatus = 0;  // its exit status when it exited

    std::string last(char kind) const;  // the latest message of this kind, or ""
    std::vector<std::string> all(char kind) const;
    // Empty when the work finished and reported no failure; otherwise why not.
    std::string failure() const;
};

// Forks; the child runs work(channel) and exits. The parent collects the messages
// until the child ends or timeoutSeconds pass (then the child's process group is
// killed). With inProcess the work runs here, for debuggers and sanitizers that
// dislike fork.
ChildOutcome runInChild(const std::function<void(ChildChannel&)>& work, double timeoutSeconds,
                        bool inProcess = false);
