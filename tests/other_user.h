#pragma once

// Another user's process for the tests of what a shared machine's other users can do: a forked child that drops
// to that user (root may start one; others skip those tests).

#include <QByteArray>

#include <functional>

#include <grp.h>
#include <unistd.h>

inline constexpr uid_t nobodyUid = 65534;

// Runs `work` in a forked process as `user` and returns what it said; the process then waits, keeping what it
// holds, until `*keep` is closed (at once without `keep`), and ends by _exit, as if killed.
inline QByteArray inChild(uid_t user, const std::function<QByteArray()>& work, int* keep = nullptr)
{
    int said[2];
    int wait[2];
    if (::pipe(said) != 0 || ::pipe(wait) != 0)
        return "no pipe";
    if (::fork() == 0) {
        if (user == 0 || (::setgroups(0, nullptr) == 0 && ::setgid(user) == 0 && ::setuid(user) == 0)) {
            const QByteArray text = work();
            [[maybe_unused]] const ssize_t written = ::write(said[1], text.constData(), size_t(text.size()));
        }
        ::close(said[1]);
        ::close(wait[1]);
        char c = 0;
        [[maybe_unused]] const ssize_t got = ::read(wait[0], &c, 1); // 0 once this side closes its end
        ::_exit(0);
    }
    ::close(said[1]);
    ::close(wait[0]);
    QByteArray text;
    char buffer[256];
    for (ssize_t got; (got = ::read(said[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, got);
    ::close(said[0]);
    keep ? void(*keep = wait[1]) : void(::close(wait[1]));
    return text;
}
