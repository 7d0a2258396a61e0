#include "cli/keys.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace varno::cli {

namespace {

termios savedTerminal;
bool terminalSaved = false;

void restoreTerminal() {
    if (terminalSaved) tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
}

extern "C" void restoreAndRaise(int signal) {
    restoreTerminal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void KeyDecoder::feed(const char* bytes, size_t count) { pending_.append(bytes, count); }

std::optional<Key> KeyDecoder::next() {
    while (!pending_.empty()) {
        const char c = pending_[0];
        if (c == '\033') {
            // ESC [ A..D (or ESC O A..D in application mode); wait for the rest.
            if (pending_.size() < 3) {
                if (pending_.size() == 2 && pending_[1] != '[' && pending_[1] != 'O') pending_.erase(0, 1);
                else return std::nullopt;
                continue;
            }
            const char final = pending_[2];
            pending_.erase(0, 3);
            switch (final) {
            case 'A': return Key::NextSubsong;
            case 'B': return Key::PreviousSubsong;
            case 'C': return Key::SeekForward;
            case 'D': return Key::SeekBack;
            default: continue;
            }
        }
        pending_.erase(0, 1);
        switch (c) {
        case ' ': return Key::Pause;
        case 'n': return Key::NextSong;
        case 'p': return Key::PreviousSong;
        case '+': case '=': return Key::VolumeUp;
        case '-': case '_': return Key::VolumeDown;
        case 'q': case 'Q': return Key::Quit;
        default: break;
        }
    }
    return std::nullopt;
}

TerminalKeys::TerminalKeys() {
    if (!::isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &savedTerminal) != 0) return;
    terminalSaved = true;
    termios raw = savedTerminal;
    // Key by key, no echo; Ctrl-C still interrupts.
    raw.c_lflag &= tcflag_t(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return;
    std::atexit(restoreTerminal);
    for (int s : {SIGTERM, SIGHUP, SIGQUIT}) std::signal(s, restoreAndRaise);
    active_ = true;
}

TerminalKeys::~TerminalKeys() {
    if (active_) restoreTerminal();
}

std::optional<Key> TerminalKeys::poll() {
    if (!active_) return std::nullopt;
    pollfd in{STDIN_FILENO, POLLIN, 0};
    char bytes[32];
    while (::poll(&in, 1, 0) > 0 && (in.revents & POLLIN)) {
        const ssize_t n = ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (n <= 0) break;
        decoder_.feed(bytes, size_t(n));
    }
    return decoder_.next();
}

} // namespace varno::cli
