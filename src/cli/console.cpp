#include "cli/console.h"

#include "crypto/wipe.h"

#include <csignal>
#include <iterator>
#include <memory>

#include <termios.h>
#include <unistd.h>

namespace tessary::cli {

namespace {

// What a signal's handler needs to give the terminal its echo back.
int echoFd = -1;
termios echoSaved{};
constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};

extern "C" void restoreEchoAndEnd(int number)
{
    ::tcsetattr(echoFd, TCSANOW, &echoSaved);
    ::signal(number, SIG_DFL);
    ::raise(number); // delivered when the handler returns, with the default action
}

// Turns the terminal's echo off for as long as it lives; a signal that ends the program meanwhile turns it back on
// first, so the shell is not left typing blind.
class EchoOff
{
public:
    explicit EchoOff(int fd) : m_fd(fd)
    {
        if (tcgetattr(m_fd, &m_saved) != 0)
            return;
        echoFd = m_fd;
        echoSaved = m_saved;
        struct sigaction action = {};
        action.sa_handler = restoreEchoAndEnd;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(endingSignals); ++i)
            ::sigaction(endingSignals[i], &action, &m_previous[i]);
        m_handlersSet = true;
        termios quiet = m_saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        m_active = tcsetattr(m_fd, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (m_active)
            tcsetattr(m_fd, TCSAFLUSH, &m_saved);
        if (m_handlersSet) {
            for (std::size_t i = 0; i < std::size(endingSignals); ++i)
                ::sigaction(endingSignals[i], &m_previous[i], nullptr);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int m_fd;
    termios m_saved{};
    struct sigaction m_previous[std::size(endingSignals)] = {};
    bool m_handlersSet = false;
    bool m_active = false;
};

} // namespace

Console::Console(std::FILE* in, std::FILE* out, std::FILE* err)
    : m_in(in), m_out(out), m_err(err), m_inputIsTerminal(isatty(fileno(in)) == 1)
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
    QByteArray line;
    line.reserve(1024); // fewer reallocations leave fewer stray copies of the secret
    {
        std::unique_ptr<EchoOff> quiet;
        if (m_inputIsTerminal) {
            const QByteArray shown = prompt.toUtf8();
            std::fwrite(shown.constData(), 1, static_cast<std::size_t>(shown.size()), m_err);
            std::fflush(m_err);
            quiet = std::make_unique<EchoOff>(fileno(m_in));
        }
        for (int c = std::fgetc(m_in); c != EOF && c != '\n'; c = std::fgetc(m_in))
            line.append(static_cast<char>(c));
    }
    if (m_inputIsTerminal) {
        std::fputc('\n', m_err);
        std::fflush(m_err);
    }
    if (line.endsWith('\r'))
        line.chop(1);
    QString secret = QString::fromUtf8(line);
    wipe(line);
    return secret;
}

} // namespace tessary::cli
