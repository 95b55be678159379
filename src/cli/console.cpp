#include "cli/console.h"

#include "crypto/wipe.h"

#include <memory>

#include <termios.h>
#include <unistd.h>

namespace tessary::cli {

namespace {

// Turns the terminal's echo off for as long as it lives.
class EchoOff
{
public:
    explicit EchoOff(int fd) : m_fd(fd)
    {
        if (tcgetattr(m_fd, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        m_active = tcsetattr(m_fd, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (m_active)
            tcsetattr(m_fd, TCSAFLUSH, &m_saved);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int m_fd;
    termios m_saved{};
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
