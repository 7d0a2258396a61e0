// Threads for the test host. The MinGW build uses the win32 thread model, whose
// standard library has no std::thread, so Windows threads are made directly.
#pragma once

#include <functional>
#include <memory>

namespace xmphost {

class Thread {
public:
    explicit Thread(std::function<void()> body);
    ~Thread();                // joins
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A thread that runs until the process ends.
void startDetached(std::function<void()> body);

void sleepMilliseconds(int milliseconds);

} // namespace xmphost
