#include "platform/files/files.h"

#include "platform/files/names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QStringList components(const QString &path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

bool exists(const QByteArray &native) {
    struct stat st;
    return ::stat(native.constData(), &st) == 0;
}

// The entry of folder whose name equals name ignoring letter case, or "" when there is none.
QString caseInsensitiveMatch(const QString &folder, const QString &name) {
    const QByteArray dirName = NameBytes(folder.isEmpty() ? QStringLiteral(".") : folder);
    DIR *d = ::opendir(dirName.constData());
    if (!d)
        return {};
    QString found;
    while (dirent *e = ::readdir(d)) {
        const QString candidate = HeldName(e->d_name);
        if (candidate.compare(name, Qt::CaseInsensitive) == 0) {
            found = candidate;
            break;
        }
    }
    ::closedir(d);
    return found;
}

bool isAbsolute(const QString &path) {
    return path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\'));
}

QString joined(const QStringList &parts, bool absolute) {
    return (absolute ? QStringLiteral("/") : QString()) + parts.join(QLatin1Char('/'));
}

} // namespace

QString ExactPath(const QString &path) {
    // One pass without a list of parts: the walk asks this of every folder.
    QString exact(path.size(), Qt::Uninitialized);
    QChar *out = exact.data();
    qsizetype n = 0;
    for (const QChar c : path) {
        if (c != QLatin1Char('\\') && c != QLatin1Char('/'))
            out[n++] = c;
        else if (n == 0 ? isAbsolute(path) : out[n - 1] != QLatin1Char('/'))
            out[n++] = QLatin1Char('/');
    }
    if (n > 1 && out[n - 1] == QLatin1Char('/'))
        --n;
    exact.truncate(n);
    return exact;
}

QString NativePath(const QString &path) {
    const QStringList parts = components(path);
    const bool absolute = isAbsolute(path);
    const QString exactPath = joined(parts, absolute);
    if (parts.isEmpty() || exists(NameBytes(exactPath)))
        return exactPath;

    QString resolved = absolute ? QStringLiteral("/") : QString();
    for (const QString &part : parts) {
        const QString exact = resolved + part;
        if (exists(NameBytes(exact))) {
            resolved = exact + QLatin1Char('/');
            continue;
        }
        const QString other = caseInsensitiveMatch(resolved, part);
        resolved += (other.isEmpty() ? part : other) + QLatin1Char('/');
    }
    resolved.chop(1);
    return resolved;
}

QString Dir(const QString &name) {
    struct stat st;
    const QByteArray native = NameBytes(NativePath(name));
    if (::stat(native.constData(), &st) == 0 && !S_ISDIR(st.st_mode))
        return name;
    return {};
}

std::optional<qint64> FileLen(const QString &path) {
    struct stat st;
    const QByteArray native = NameBytes(NativePath(path));
    if (::stat(native.constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return std::nullopt;
    return static_cast<qint64>(st.st_size);
}

std::optional<std::vector<QByteArray>> ReadLines(const QString &path, int maxLines,
                                                 int maxLineLength) {
    QFile file;
    if (!OpenRegularFile(file, NativePath(path)))
        return std::nullopt;

    std::vector<QByteArray> lines;
    QByteArray line;
    bool skipping = false; // past maxLineLength: drop the rest of this line
    bool afterCr = false;  // a LF right after CR belongs to the same line break
    char buffer[16384];
    while (static_cast<int>(lines.size()) < maxLines) {
        const qint64 n = file.read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (qint64 i = 0; i < n && static_cast<int>(lines.size()) < maxLines; ++i) {
            const char c = buffer[i];
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = (c == '\r');
            if (c == '\r' || c == '\n') {
                lines.push_back(line);
                line.clear();
                skipping = false;
                continue;
            }
            if (skipping) { // on to the line break, at memchr's pace rather than a byte a turn
                const char *rest = buffer + i + 1;
                const qint64 left = n - i - 1;
                const void *cr = memchr(rest, '\r', left), *lf = memchr(rest, '\n', left);
                const char *next = static_cast<const char *>(!cr   ? lf
                                                             : !lf ? cr
                                                                   : std::min(cr, lf));
                i = next ? next - buffer - 1 : n;
                continue;
            }
            if (line.size() >= maxLineLength) {
                skipping = true;
                continue;
            }
            line.append(c);
        }
    }
    // The last line needs no line break; an empty file has no lines at all.
    if (static_cast<int>(lines.size()) < maxLines && (!line.isEmpty() || skipping))
        lines.push_back(line);
    return lines;
}

bool OpenRegularFile(QFile &file, const QString &nativePath) {
    if (nativePath.isEmpty())
        return false;
    // Without waiting: opening a pipe would wait for a writer until one came.
    const int fd = ::open(NameBytes(nativePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

QString AbsoluteNativePath(const QString &nativePath) {
    // By hand: Qt's own file information turns a name's bytes that are not text into U+FFFD.
    if (nativePath.isEmpty() || nativePath.startsWith(QLatin1Char('/')))
        return nativePath;
    return QDir::cleanPath(QDir::currentPath() + QLatin1Char('/') + nativePath);
}

QString StartFolder() {
    static const QString folder = QDir::currentPath();
    return folder;
}

} // namespace platform
