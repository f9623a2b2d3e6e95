#include "hostile.h"

#include "encoders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hostile {

namespace {

// Writes into one folder by relative names; the first failure is kept and stops the rest.
class Writer {
  public:
    explicit Writer(const QString &root) : root_(root) {}

    bool ok() const { return error_.isEmpty(); }
    QString error() const { return error_; }

    void folder(const QString &relative) {
        if (ok() && !QDir().mkpath(path(relative)))
            fail(relative);
    }

    void file(const QString &relative, const QByteArray &bytes) {
        writeNative(QFile::encodeName(path(relative)), bytes, relative);
    }

    // A name given as raw bytes, which need not be valid text, its folders ('/') made too.
    void rawNameFile(const QString &folderRelative, const QByteArray &name,
                     const QByteArray &bytes) {
        const QByteArray folder = QFile::encodeName(path(folderRelative)) + '/';
        QDir().mkpath(path(folderRelative));
        for (qsizetype slash = name.indexOf('/'); slash >= 0; slash = name.indexOf('/', slash + 1))
            ::mkdir((folder + name.left(slash)).constData(), 0755);
        writeNative(folder + name, bytes, folderRelative + "/<raw name>");
    }

    void link(const QString &relative, const QString &target) {
        if (!ok())
            return;
        const QByteArray native = prepare(relative);
        if (::symlink(QFile::encodeName(target).constData(), native.constData()) != 0)
            fail(relative);
    }

    void fifo(const QString &relative) {
        if (!ok())
            return;
        const QByteArray native = prepare(relative);
        if (::mkfifo(native.constData(), 0644) != 0)
            fail(relative);
    }

  private:
    QString path(const QString &relative) const { return root_ + '/' + relative; }

    // Makes the parent folder and clears whatever lies at the name (but not a folder).
    QByteArray prepare(const QString &relative) {
        const QString full = path(relative);
        QDir().mkpath(QFileInfo(full).path());
        const QByteArray native = QFile::encodeName(full);
        struct stat st;
        if (::lstat(native.constData(), &st) == 0 && !S_ISDIR(st.st_mode))
            ::unlink(native.constData());
        return native;
    }

    void writeNative(const QByteArray &native, const QByteArray &bytes, const QString &what) {
        if (!ok())
            return;
        QDir().mkpath(QFileInfo(QFile::decodeName(native)).path());
        struct stat st;
        if (::lstat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
            ::unlink(native.constData());
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return fail(what);
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::close(fd);
        if (done != bytes.size())
            fail(what);
    }

    void fail(const QString &what) {
        if (ok())
            error_ = what + ": " + QString::fromLocal8Bit(std::strerror(errno));
    }

    QString root_;
    QString error_;
};

QByteArray settings(const QByteArray &lineTwo, const QByteArray &title) {
    return "[Orvane]\r\n" + lineTwo + "\r\nHostile\r\nCD\r\n" + title + "\r\nend\r\n";
}

QByteArray binarySettings() {
    QByteArray bytes;
    quint32 state = 7;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.append(char(state >> 23));
    }
    return bytes;
}

// Sets a little-endian 16-bit field.
QByteArray patch16(QByteArray bytes, int at, quint16 value) {
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char(value >> 8);
    return bytes;
}

void writeCdRoot(Writer &w) {
    w.file("orvane.ini", settings("12", "Hostile CD"));
    // The two start-up pictures are broken too: the program must carry on without them.
    const QByteArray jpeg = Jpeg(64, 48);
    w.file("splash.jpg", jpeg.left(jpeg.size() / 2));
    w.file("menupic.jpg", JpegDeclaring(60000, 60000));
    // A wave file that ends inside its header, declaring far more than it holds.
    w.file("orvane.wav", QByteArray("RIFF\xff\xff\xff\x7fWAVEfmt \x10\0\0\0\x01\0\x02", 23));
}

void writeGood(Writer &w) {
    // Valid pictures, several under names that are hard on the program's text handling.
    w.file("images/good/plain.jpg", Jpeg(64, 48));
    w.file("images/good/plain.gif", Gif(64, 48, 64, 48, 1));
    w.file("images/good/plain.bmp", Bmp(64, 48));
    w.file("images/good/top-down.bmp", Bmp(40, -30));
    w.file("images/good/gif-named.jpg", Gif(20, 10, 20, 10, 1));
    w.file("images/good/UPPER CASE.JPG", Jpeg(30, 20));
    w.file("images/good/with  spaces in the name .jpg", Jpeg(24, 24));
    w.file("images/good/\"double\" and 'single' quotes.bmp", Bmp(12, 12));
    w.file("images/good/line\nbreak.gif", Gif(8, 8, 8, 8, 1));
    w.file("images/good/tab\tand\rreturn.bmp", Bmp(8, 8));
    w.file(QString::fromUtf8("images/good/Ünïcödé café 日本語 🐱.jpg"), Jpeg(20, 20));
    w.file("images/good/%s%n%x format.gif", Gif(4, 4, 4, 4, 1));
    w.file("images/good/jpg", Jpeg(10, 10)); // a whole name of three letters
    w.file("images/good/.bmp", Bmp(6, 6));
    w.file("images/good/a.gif", Gif(5, 5, 5, 5, 1));
    w.file("images/good/" + QString(251, 'n') + ".jpg", Jpeg(9, 9)); // the longest name allowed
    // Names that are not text, or hold the program's folder separator; two that look alike.
    // Each is as wide as its own, so a test tells which file a name opened.
    w.file("images/names/back\\slash.jpg", Jpeg(11, 8));
    w.file("images/names/back\\\\double.gif", Gif(12, 8, 12, 8, 1));
    w.rawNameFile("images/names", "invalid-\xff\xfe-utf8.jpg", Jpeg(13, 8));
    w.rawNameFile("images/names", "latin1-caf\xe9.bmp", Bmp(14, 8));
    w.file(QString::fromUtf8("images/names/latin1-café.bmp"), Bmp(15, 8));
    w.rawNameFile("images/names", "dir\xe9/inner.jpg", Jpeg(16, 8));
    w.file("images/names/back\\folder/inner.gif", Gif(17, 8, 17, 8, 1));
}

void writeBroken(Writer &w) {
    const QByteArray jpeg = Jpeg(64, 48);
    const QByteArray gif = Gif(64, 48, 64, 48, 1);
    const QByteArray bmp = Bmp(64, 48);
    for (const char *ext : {"jpg", "gif", "bmp"})
        w.file(QStringLiteral("images/broken/empty.%1").arg(ext), {});
    w.file("images/broken/truncated-half.jpg", jpeg.left(jpeg.size() / 2));
    w.file("images/broken/truncated-header.jpg", jpeg.left(30));
    w.file("images/broken/truncated-half.gif", gif.left(gif.size() / 2));
    w.file("images/broken/truncated-header.gif", gif.left(13));
    w.file("images/broken/truncated-half.bmp", bmp.left(bmp.size() / 2));
    w.file("images/broken/truncated-header.bmp", bmp.left(54));
    w.file("images/broken/corrupt-data.jpg", Corrupt(jpeg, 400, 7));
    w.file("images/broken/corrupt-everything.jpg", Corrupt(jpeg, 2, 3));
    w.file("images/broken/corrupt-data.gif", Corrupt(gif, 40, 5));
    w.file("images/broken/corrupt-headers.bmp", Corrupt(bmp, 14, 3));
    w.file("images/broken/text.jpg", "This is a text file, not a picture.\n");
    w.file("images/broken/png.jpg", Png(32, 32));
    w.file("images/broken/bmp-bits-7.bmp", BmpHeader(16, 16, 7, 0, 0, 768));
    w.file("images/broken/bmp-rle8-garbage.bmp", BmpHeader(16, 16, 8, 1, 0xffffffffu, 300));
    w.file("images/broken/bmp-rle4-garbage.bmp", BmpHeader(16, 16, 4, 2, 16, 300));
    // Bit fields whose masks are all zero.
    w.file("images/broken/bmp-zero-masks.bmp",
           BmpHeader(16, 16, 16, 3, 0, 0) + QByteArray(12, 0) + QByteArray(512, char(0xa5)));
    QByteArray codeSize = Gif(8, 8, 8, 8, 1);
    codeSize[codeSize.indexOf(',') + 10] = char(12); // LZW code sizes stop at 11
    w.file("images/broken/gif-code-size-12.gif", codeSize);
    w.file("images/frames/frames-5000.gif", Gif(8, 8, 8, 8, 5000));
}

void writeHuge(Writer &w) {
    // Tiny files whose headers declare far more than any budget allows.
    w.file("images/huge/jpeg-60000.jpg", JpegDeclaring(60000, 60000));
    w.file("images/huge/jpeg-65500x1.jpg", JpegDeclaring(65500, 1));
    w.file("images/huge/gif-screen-65535.gif", Gif(65535, 65535, 1, 1, 1));
    QByteArray frame = Gif(1, 1, 1, 1, 1);
    const int descriptor = int(frame.indexOf(','));
    frame = patch16(patch16(frame, descriptor + 5, 65535), descriptor + 7, 65535);
    w.file("images/huge/gif-frame-65535.gif", frame);
    w.file("images/huge/bmp-60000.bmp", BmpHeader(60000, 60000, 24, 0, 0, 64));
    w.file("images/huge/bmp-top-down-60000.bmp", BmpHeader(60000, -60000, 24, 0, 0, 64));
    w.file("images/huge/bmp-widest.bmp", BmpHeader(INT_MAX, 1, 24, 0, 0, 64));
    w.file("images/huge/bmp-tallest.bmp", BmpHeader(1, INT_MAX, 24, 0, 0, 64));
    w.file("images/huge/bmp-tallest-top-down.bmp", BmpHeader(1, -INT_MAX, 24, 0, 0, 64));
    w.file("images/huge/bmp-height-int-min.bmp", BmpHeader(1, INT_MIN, 24, 0, 0, 64));
    w.file("images/huge/bmp-negative-width.bmp", BmpHeader(-16, 16, 24, 0, 0, 64));
    w.file("images/huge/bmp-zero-size.bmp", BmpHeader(0, 0, 24, 0, 0, 64));
    w.file("images/huge/bmp-100000x1-short.bmp", BmpHeader(100000, 1, 24, 0, 0, 64));
    w.file("images/huge/bmp-32bit-65535.bmp", BmpHeader(65535, 65535, 32, 0, 0, 64));
}

void writeOddEntries(Writer &w) {
    // Things named like pictures that are not files at all.
    w.folder("images/odd/folder.jpg");
    w.file("images/odd/folder.jpg/inside.bmp", Bmp(10, 10));
    w.link("images/odd/dangling.jpg", "no-such-picture.jpg");
    w.link("images/odd/self.gif", "self.gif");
    w.link("images/odd/zero.jpg", "/dev/zero");
    w.fifo("images/odd/pipe.jpg");
    // Folder links that lead back into the walk.
    w.folder("images/loop/a");
    w.folder("images/loop/b");
    w.link("images/loop/itself", ".");
    w.link("images/loop/parent", "..");
    w.link("images/loop/a/to-b", "../b");
    w.link("images/loop/b/to-a", "../a");
    w.file("images/loop/a/in-a.bmp", Bmp(4, 4));
    // A hundred folders deep.
    QString deep = QStringLiteral("images/deep");
    for (int level = 1; level <= 100; ++level)
        deep += QStringLiteral("/level%1").arg(level, 3, 10, QLatin1Char('0'));
    w.file(deep + "/bottom.bmp", Bmp(8, 8));
}

void writeMany(Writer &w) {
    // More pictures than the catalogue holds: tiny bitmaps and GIFs, and empty files.
    const QByteArray bmp = Bmp(2, 2);
    const QByteArray gif = Gif(2, 2, 2, 2, 1);
    for (int i = 0; i < ManyPictures; ++i) {
        const QString name = QStringLiteral("images/many/p%1").arg(i, 5, 10, QLatin1Char('0'));
        switch (i % 3) {
        case 0:
            w.file(name + ".bmp", bmp);
            break;
        case 1:
            w.file(name + ".gif", gif);
            break;
        default:
            w.file(name + ".jpg", {});
        }
    }
}

void writeSettingsCases(Writer &w) {
    for (const SettingsCase &c : NumberSettingsCases())
        w.file(c.folder + "/orvane.ini", settings(c.lineTwo, "Number " + c.lineTwo));
    w.file("ini-binary/orvane.ini", binarySettings());
    w.fifo("ini-pipe/orvane.ini");
    w.link("ini-dev-zero/orvane.ini", "/dev/zero");
    w.folder("ini-folder/orvane.ini");
}

} // namespace

QList<SettingsCase> NumberSettingsCases() {
    return {{"ini-1e10", "1e10"},
            {"ini-minus-half", "-0.5"},
            {"ini-nine-blanks", "  9  "},
            {"ini-12.5", "12.5"},
            {"ini-40000", "40000"}};
}

bool WriteHugeSettings(const QString &path, qint64 bytes) {
    const QByteArray rest = "\r\n9\r\nline 3\r\nline 4\r\nHuge settings file\r\nline 6\r\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 first = qMax<qint64>(0, bytes - rest.size());
    // Growing the file leaves a hole that reads as NUL bytes: one very long first line.
    if (!file.resize(first) || !file.seek(first))
        return false;
    return file.write(rest) == rest.size();
}

bool WriteHostileCd(const QString &outDir, bool small, QString *error) {
    const QString root = QDir(outDir).absolutePath();
    Writer cd(root + '/' + CdFolder);
    cd.folder(QString());
    writeCdRoot(cd);
    writeGood(cd);
    writeBroken(cd);
    writeHuge(cd);
    writeOddEntries(cd);
    if (!small)
        writeMany(cd);

    Writer siblings(root);
    writeSettingsCases(siblings);
    if (!small && siblings.ok() && cd.ok()) {
        QDir().mkpath(root + '/' + HugeSettingsFolder);
        if (!WriteHugeSettings(root + '/' + HugeSettingsFolder + "/orvane.ini")) {
            if (error)
                *error = QStringLiteral("%1/orvane.ini: cannot write").arg(HugeSettingsFolder);
            return false;
        }
    }
    const QString failure = !cd.ok() ? cd.error() : siblings.error();
    if (error)
        *error = failure;
    return failure.isEmpty();
}

} // namespace hostile
