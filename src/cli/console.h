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
    Console(std::FILE* in = stdin, std::FILE* out = stdout, std::FILE* err = stderr);

    void out(const QString& line);
    void err(const QString& line);
    void writeOut(const QByteArray& bytes);

    bool inputIsTerminal() const { return m_inputIsTerminal; }

    // The next line of standard input without its LF or CRLF; empty at the end of input. On a terminal the
    // prompt goes to standard error and typing is not echoed.
    QString readSecret(const QString& prompt);

private:
    std::FILE* m_in;
    std::FILE* m_out;
    std::FILE* m_err;
    bool m_inputIsTerminal;
};

} // namespace tessary::cli
