#include "transfer/new_file.h"

#include "storage/file_io.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessary {

bool writeNewFile(const QString& path, QByteArrayView bytes, QString& reason)
{
    const QByteArray name = QFile::encodeName(path);
    Descriptor fd(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (!fd.valid()) {
        reason = errno == EEXIST ? QStringLiteral("it exists already, and an export is written only as a new file")
                                 : systemReason(errno);
        return false;
    }
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    int error = 0;
    while (left > 0 && error == 0) {
        const ssize_t written = ::write(fd.get(), data, static_cast<size_t>(left));
        if (written < 0 && errno != EINTR)
            error = errno;
        else if (written > 0) {
            data += written;
            left -= written;
        }
    }
    if (error == 0 && ::fsync(fd.get()) != 0)
        error = errno;
    if (!fd.close() && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(name.constData());
        reason = systemReason(error);
        return false;
    }
    return true;
}

} // namespace tessary
