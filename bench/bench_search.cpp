// search-10k: a three-keyword search over a full catalogue of 10,000 entries matching about 5%,
// with the rebuild of the list and the preview of the first match, against the same substring
// tests in a bare loop plus the preview alone.

#include "bench/bench.h"

#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "platform/desktop/services.h"
#include "platform/imaging/lookahead.h"
#include "platform/runtime/activation.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Entries = 10000;

// Mixed-case paths as a CD would hold them; about a quarter red, a quarter cars and four fifths
// JPEGs, so "red car jpg" finds about one in twenty.
std::vector<QString> makeCatalogue() {
    const char *folders[] = {"Holiday", "Town\\Old", "Coast", "Garden\\Spring",
                             "Animals", "Harbour",   "Hills", "Family\\1999"};
    const char *colours[] = {"Red", "Blue", "Green", "Grey"};
    const char *things[] = {"Car", "Boat", "House", "Tree"};
    const char *kinds[] = {"jpg", "jpg", "jpg", "jpg", "jpg", "jpg", "jpg", "jpg", "gif", "bmp"};
    std::vector<QString> catalogue(CatalogueCapacity + 1);
    quint32 seed = 12345;
    auto next = [&seed](quint32 n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    for (int i = 1; i <= Entries; ++i)
        catalogue[static_cast<size_t>(i)] =
            QStringLiteral("%1\\%2_%3_%4.%5")
                .arg(QLatin1String(folders[next(8)]), QLatin1String(colours[next(4)]),
                     QLatin1String(things[next(4)]))
                .arg(i, 5, 10, QLatin1Char('0'))
                .arg(QLatin1String(kinds[next(10)]));
    return catalogue;
}

// A photo-sized JPEG at the entry's place on disk, so the preview decodes a real picture.
void writePicture(const QString &entry) {
    QString path = QStringLiteral("images/") + entry;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo::exists(path))
        return;
    QDir().mkpath(QFileInfo(path).path());
    QImage image(1024, 768, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 1024, 768);
    gradient.setColorAt(0, QColor(200, 60, 40));
    gradient.setColorAt(1, QColor(30, 90, 160));
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 400; ++i)
        painter.fillRect((i * 97) % 1000, (i * 61) % 740, 24, 24,
                         QColor::fromHsv(i % 360, 150, 200));
    painter.end();
    image.save(path, "JPG", 85);
}

int firstMatch(const std::vector<QString> &catalogue, const QStringList &keywords) {
    for (int i = 1; i <= Entries; ++i) {
        const QString text = catalogue[static_cast<size_t>(i)].toLower();
        if (std::all_of(keywords.begin(), keywords.end(),
                        [&text](const QString &k) { return text.contains(k); }))
            return i;
    }
    return 0;
}

struct Search {
    Form1 &main;
    const std::vector<QString> &catalogue;

    // The state before a search: the whole catalogue listed, first entry current.
    void prepare() const {
        std::copy(catalogue.begin(), catalogue.end(), g.ImageArray.begin());
        g.ImageCount = Entries;
        g.CurrentIndex = 1;
        main.List1->Clear();
        for (int i = 1; i <= Entries; ++i)
            main.List1->AddItem(catalogue[static_cast<size_t>(i)].section(QLatin1Char('\\'), -1));
        QCoreApplication::processEvents();
    }

    void program(const QString &typed) const {
        platform::ForgetPictures(); // the first match's preview is not the one shown last
        g.SearchString = typed;
        main.CheckSearchString();
        main.SearchArray();
        ShowReadPictures();
    }

    // The least any search must do: the lower-cased paths, three substring tests each, and
    // the preview of the first match.
    int bare(const QString &k1, const QString &k2, const QString &k3) const {
        platform::ForgetPictures(); // the first match's preview is not the one shown last
        int first = 0;
        int count = 0;
        for (int i = 1; i <= Entries; ++i) {
            const QString text = g.ImageArray[static_cast<size_t>(i)].toLower();
            if (text.contains(k1) && text.contains(k2) && text.contains(k3) && ++count == 1)
                first = i;
        }
        g.CurrentIndex = first;
        main.Thumbnail();
        ShowReadPictures();
        return count;
    }
};

double timed(const std::function<void()> &fn) {
    QElapsedTimer timer;
    timer.start();
    fn();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

BENCH_CASE(search10k, "search-10k") {
    const QString previous = QDir::currentPath();
    QDir::setCurrent(BenchDataDir(QStringLiteral("search")));
    platform::services().playSound = [](const QString &) {};
    platform::services().msgBox = [](const QString &, int, const QString &) {
        return platform::vbOK;
    };

    const std::vector<QString> catalogue = makeCatalogue();
    const QStringList some{QStringLiteral("red"), QStringLiteral("car"), QStringLiteral("jpg")};
    const QStringList every{QStringLiteral("\\"), QStringLiteral("_"), QStringLiteral(".")};
    writePicture(catalogue[static_cast<size_t>(firstMatch(catalogue, some))]);
    writePicture(catalogue[1]);

    Form1 &main = Instance<Form1>();
    platform::ActivateForm(&main);
    const Search search{main, catalogue};

    // Side by side, with the catalogue and the list put back before each run (not timed).
    std::vector<double> ours, ref, all;
    int matched = 0;
    for (int run = 0; run < 16; ++run) {
        search.prepare();
        const double o = timed([&] { search.program(QStringLiteral("red car jpg")); });
        matched = g.MatchCount;
        search.prepare();
        const double r = timed([&] { search.bare(some[0], some[1], some[2]); });
        search.prepare();
        const double a = timed([&] { search.program(QStringLiteral("\\ _ .")); });
        if (run == 0)
            continue; // warm-up
        ours.push_back(o);
        ref.push_back(r);
        all.push_back(a);
    }
    ReportRatio("search-10k", {median(ours), median(ref)},
                QStringLiteral("matched=%1/%2 all=%3ms")
                    .arg(matched)
                    .arg(Entries)
                    .arg(median(all), 0, 'f', 2));

    Unload<Form1>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir::setCurrent(previous);
}
