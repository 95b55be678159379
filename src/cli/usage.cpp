#include "cli/usage.h"

namespace tessary::cli {

QString usageText()
{
    return QStringLiteral(
        "Usage: tessary-cli [--dir DIR] COMMAND [ARGS...]\n"
        "\n"
        "Reaches Tessary key rings from a terminal or a script. Secrets are read from standard input, one a\n"
        "line (line 1: the master password; for add, line 2: the new key's password); on a terminal they are\n"
        "asked for without echo. Text is UTF-8; in plain text output, control characters in stored fields\n"
        "are shown escaped (\\t, \\n, \\r, \\xHH).\n"
        "\n"
        "Options:\n"
        "  --dir DIR   the data folder, where the user list, <user>.keyRing, tessary.keyRing and\n"
        "              history.dat live; it must exist. Without it: $TESSARY_DATA, else\n"
        "              $XDG_DATA_HOME/Tessary (~/.local/share/Tessary), made with mode 0700 when missing\n"
        "  --help      print this text\n"
        "\n"
        "Commands:\n"
        "  users                        the user list's names, one a line, in file order\n"
        "  create-user USER             a new user with an empty key ring (master password from input)\n"
        "  ls USER [--json] [--show-password]\n"
        "                               the keys in order: name, URL, user name and creation stamp,\n"
        "                               separated by tabs; --json: an array of the objects show prints\n"
        "  show USER KEY [--json] [--show-password]\n"
        "                               one key's fields; --json: name, userName, url, description,\n"
        "                               dateCreated, timeCreated, created, salt\n"
        "                               --show-password: the password too (in JSON stored whole, with\n"
        "                               its padding); without it no password is printed\n"
        "  add USER KEY [--username U] [--url URL] [--notes TEXT]\n"
        "                               a new key; its password is input line 2 (at most 128 characters);\n"
        "                               a URL without http, ftp:, goph or teln gets http:// in front\n"
        "  edit USER KEY [--username U] [--url URL] [--notes TEXT]\n"
        "                               changes the given fields of a key\n"
        "  rename USER OLD NEW          gives a key a new, unique name\n"
        "  rm USER KEY                  deletes a key\n"
        "  export USER                  writes the key ring to tessary.keyRing\n"
        "  check FILE                   checks a key ring file's structure; needs no password\n"
        "  estimate [--loops N]         scores the password read from input and estimates its crack time;\n"
        "                               --loops N skips the timing loops and counts N loops\n"
        "  generate [LENGTH]            a random password of letters and digits (default 16 characters)\n"
        "  update-check [URL]           asks the update server for newer releases\n"
        "\n"
        "Use -- before a name that begins with two dashes.\n"
        "\n"
        "Exit status: 0 done; 1 refused or failed (nothing was written); 2 usage error.\n"
        "Commands that change a key ring refuse while another Tessary program holds its lock.");
}

} // namespace tessary::cli
