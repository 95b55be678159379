// The yardstick for `tessary-cli ls`: a QtCore program that reads one line and prints 255 lines.
#include <QString>
#include <QTextStream>

int main()
{
    QTextStream in(stdin);
    QTextStream out(stdout);
    const QString line = in.readLine();
    for (int i = 1; i <= 255; ++i)
        out << "key " << i << '\t' << "http://example.com/" << line.size() << '\t' << "user" << '\t' << "12:00:00 7 Dec 2026" << '\n';
    return 0;
}
