#pragma once

// Two ways to make a write fail part way, as a full disk does: a tmpfs of a few KiB filled to the brim (where the
// test may mount one), and a file size limit with SIGXFSZ ignored, which works anywhere.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include <sys/mount.h>
#include <sys/resource.h>

// A tmpfs of `bytes` bytes mounted over a fresh temporary folder until it goes out of scope.
class SmallDisk
{
public:
    explicit SmallDisk(qint64 bytes = 256 * 1024)
    {
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
        m_mounted = m_dir.isValid() &&
                    ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Writes a filler file until the disk is full, then gives back `sparePages` pages of 4 KiB (room for as many
    // small files, lock files say); freeFiller() makes room again.
    bool fill(int sparePages = 0)
    {
        QFile filler(filePath(QStringLiteral(".filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        return filler.resize(std::max<qint64>(0, filler.size() / 4096 * 4096 - qint64(sparePages) * 4096));
    }
    bool freeFiller() { return QFile::remove(filePath(QStringLiteral(".filler"))); }

    bool remountReadOnly()
    {
        return ::mount(nullptr, QFile::encodeName(m_dir.path()).constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                       nullptr) == 0;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// Makes writes past `limit` bytes fail with EFBIG instead of killing the process, until it goes out of scope.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        m_active = ::sigaction(SIGXFSZ, &ignore, &m_oldAction) == 0 && ::getrlimit(RLIMIT_FSIZE, &m_old) == 0;
        if (m_active) {
            rlimit lower = m_old;
            lower.rlim_cur = limit;
            m_active = ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
        }
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        ::sigaction(SIGXFSZ, &m_oldAction, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return m_active; }

private:
    rlimit m_old = {};
    struct sigaction m_oldAction = {};
    bool m_active = false;
};
