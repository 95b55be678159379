#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

namespace tessary::cli {

// Standard input, output and error, all UTF-8. Data goes to standard output; prompts and messages to standard
// error; secrets come from standard input, one a line.
class Console
{
public:
    explicit Console(int in = 0, std::FILE* out = stdout, std::FILE* err = stderr);

    void out(const QString& line);
    void err(const QString& line);
    void writeOut(const QByteArray& bytes);

    bool inputIsTerminal() const { return m_inputIsTerminal; }

    // The next line of standard input without its LF or CRLF; empty at the end of input or when it cannot be read
    // (never part of a line). On a terminal the prompt goes to standard error and typing is not echoed, not even
    // after the program was stopped (Ctrl+Z) and continued. The line is read with read(2), byte by byte, into buffers that are wiped: no stdio buffer keeps
    // a copy, and nothing after the line is taken from the input.
    QString readSecret(const QString& prompt);
    // A new secret: read once, and on a terminal once more to be sure of it. Empty when the two differ (with a
    // message shown) or nothing was typed; `failed` tells the first apart.
    QString readNewSecret(const QString& prompt, bool& failed);

private:
    int m_in;
    std::FILE* m_out;
    std::FILE* m_err;
    bool m_inputIsTerminal;
};

} // namespace tessary::cli
