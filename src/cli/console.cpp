#include "cli/console.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <memory>

#include <termios.h>
#include <unistd.h>

namespace tessary::cli {

namespace {

// What the signal handlers need to give the terminal its echo back, and to take it away again.
int echoFd = -1;
termios echoSaved{};
termios echoQuiet{};
constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};

extern "C" void restoreEchoAndEnd(int number)
{
    ::tcsetattr(echoFd, TCSANOW, &echoSaved);
    ::signal(number, SIG_DFL);
    ::raise(number); // delivered when the handler returns, with the default action
}

// Ctrl+Z at the prompt: the shell gets its terminal back as it was, and when the program is continued the echo
// goes off again before the typing does.
extern "C" void stopWithEcho(int)
{
    const int savedErrno = errno;
    ::tcsetattr(echoFd, TCSANOW, &echoSaved);
    struct sigaction stop = {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    struct sigaction ours = {};
    ::sigaction(SIGTSTP, &stop, &ours);
    ::raise(SIGTSTP); // pending until unblocked below: the program stops there, and goes on after SIGCONT
    sigset_t tstp;
    sigemptyset(&tstp);
    sigaddset(&tstp, SIGTSTP);
    ::sigprocmask(SIG_UNBLOCK, &tstp, nullptr);
    ::sigaction(SIGTSTP, &ours, nullptr);
    ::tcsetattr(echoFd, TCSANOW, &echoQuiet);
    errno = savedErrno;
}

// Holds the signals that end or stop the program back while the echo and its handlers change together, so that
// none arrives between the two.
class SignalsHeld
{
public:
    SignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (const int number : endingSignals)
            sigaddset(&held, number);
        sigaddset(&held, SIGTSTP);
        ::sigprocmask(SIG_BLOCK, &held, &m_before);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &m_before, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_before;
};

// Turns the terminal's echo off for as long as it lives; a signal that ends the program meanwhile turns it back on
// first, so the shell is not left typing blind, and so does a stop.
class EchoOff
{
public:
    explicit EchoOff(int fd) : m_fd(fd)
    {
        if (tcgetattr(m_fd, &m_saved) != 0)
            return;
        echoFd = m_fd;
        echoSaved = m_saved;
        echoQuiet = m_saved;
        echoQuiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        const SignalsHeld held;
        if (tcsetattr(m_fd, TCSAFLUSH, &echoQuiet) != 0)
            return; // the echo stays on, and the handlers that would turn it off again stay out
        struct sigaction action = {};
        action.sa_handler = restoreEchoAndEnd;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(endingSignals); ++i)
            ::sigaction(endingSignals[i], &action, &m_previous[i]);
        action.sa_handler = stopWithEcho;
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTSTP, &action, &m_previousStop);
        m_active = true;
    }
    ~EchoOff()
    {
        if (!m_active)
            return;
        const SignalsHeld held;
        tcsetattr(m_fd, TCSAFLUSH, &m_saved);
        for (std::size_t i = 0; i < std::size(endingSignals); ++i)
            ::sigaction(endingSignals[i], &m_previous[i], nullptr);
        ::sigaction(SIGTSTP, &m_previousStop, nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int m_fd;
    termios m_saved{};
    struct sigaction m_previous[std::size(endingSignals)] = {};
    struct sigaction m_previousStop = {};
    bool m_active = false;
};

// The bytes of a secret as they are read: each buffer it outgrows is wiped, and so is the last.
class SecretBytes
{
public:
    ~SecretBytes() { m_bytes.fill('\0'); }
    void append(char c)
    {
        if (m_size == m_bytes.size()) {
            QByteArray larger(std::max<qsizetype>(256, 2 * m_size), '\0');
            std::copy_n(m_bytes.constData(), m_size, larger.data());
            m_bytes.fill('\0');
            m_bytes.swap(larger);
        }
        m_bytes[m_size++] = c;
    }
    void chop() { m_bytes[--m_size] = '\0'; }
    bool endsWith(char c) const { return m_size > 0 && m_bytes[m_size - 1] == c; }
    QString text() const { return QString::fromUtf8(m_bytes.constData(), m_size); }

private:
    QByteArray m_bytes;
    qsizetype m_size = 0;
};

} // namespace

Console::Console(int in, std::FILE* out, std::FILE* err)
    : m_in(in), m_out(out), m_err(err), m_inputIsTerminal(isatty(in) == 1)
{
}

void Console::out(const QString& line)
{
    writeOut(line.toUtf8() + '\n');
}

void Console::writeOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), m_out);
}

void Console::err(const QString& line)
{
    std::fflush(m_out);
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), m_err);
    std::fflush(m_err);
}

QString Console::readSecret(const QString& prompt)
{
    SecretBytes line;
    bool failed = false;
    {
        std::unique_ptr<EchoOff> quiet;
        if (m_inputIsTerminal) {
            const QByteArray shown = prompt.toUtf8();
            std::fwrite(shown.constData(), 1, static_cast<std::size_t>(shown.size()), m_err);
            std::fflush(m_err);
            quiet = std::make_unique<EchoOff>(m_in);
        }
        char c = 0;
        for (;;) {
            const ssize_t got = ::read(m_in, &c, 1);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                failed = true; // half a line is no secret: nothing is taken
                break;
            }
            if (got == 0 || c == '\n')
                break;
            line.append(c);
        }
    }
    if (m_inputIsTerminal) {
        std::fputc('\n', m_err);
        std::fflush(m_err);
    }
    if (failed)
        return {};
    if (line.endsWith('\r'))
        line.chop();
    return line.text();
}

QString Console::readNewSecret(const QString& prompt, bool& failed)
{
    failed = false;
    QString secret = readSecret(prompt);
    if (!m_inputIsTerminal || secret.isEmpty())
        return secret;
    QString again = readSecret(QStringLiteral("The same again: "));
    const bool same = again == secret;
    again.fill(QChar(u'\0'));
    if (same)
        return secret;
    secret.fill(QChar(u'\0'));
    err(QStringLiteral("The two passwords differ. Nothing was written."));
    failed = true;
    return {};
}

} // namespace tessary::cli
