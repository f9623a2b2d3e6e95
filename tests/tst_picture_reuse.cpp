// A picture decoded once and shown again is the picture a fresh decode gives, and only while its
// file is as it was when it was read.

#include "platform/imaging/lookahead.h"
#include "support/rootless.h"
#include "support/testsupport.h"

#include <QFile>
#include <QTest>

#include <functional>
#include <sys/stat.h>

namespace {

std::optional<platform::Picture> Show(const QString &path) {
    return platform::LoadPictureForDisplay(path, [](QSize) { return QSize(300, 200); });
}

} // namespace

class TestPictureReuse : public QObject {
    Q_OBJECT
  private slots:
    void reusedDecodeIsTheSamePicture() {
        TempCd cd;
        cd.writePicture("a.jpg", 900, 600, "JPG", QColor(200, 90, 40));
        QVERIFY(QFile::copy(cd.path("a.jpg"), cd.path("copy.jpg")));
        const auto first = Show("a.jpg");
        const auto again = Show("a.jpg"); // kept from the display before
        const auto fresh = Show("copy.jpg");
        QVERIFY(first && again && fresh);
        QCOMPARE(again->image.cacheKey(), first->image.cacheKey());
        QCOMPARE(again->image, fresh->image);
        QCOMPARE(again->natural, fresh->natural);
    }

    void keptPictureIsDroppedWhenItsFileChanged_data() {
        QTest::addColumn<std::function<void(const TempCd &)>>("change");
        QTest::addColumn<bool>("shown"); // false: nothing to show, the previous picture stays
        using Change = std::function<void(const TempCd &)>;
        QTest::newRow("written again") << Change([](const TempCd &cd) {
            cd.writePicture("a.jpg", 900, 600, "JPG", QColor(20, 90, 200));
        }) << true;
        QTest::newRow("replaced by another file") << Change([](const TempCd &cd) {
            cd.writePicture("b.jpg", 900, 600, "JPG", QColor(20, 90, 200));
            QFile::remove(cd.path("a.jpg"));
            QFile::rename(cd.path("b.jpg"), cd.path("a.jpg"));
        }) << true;
        QTest::newRow("removed") << Change([](const TempCd &cd) {
            QFile::remove(cd.path("a.jpg"));
        }) << false;
        QTest::newRow("made unreadable") << Change([](const TempCd &cd) {
            ::chmod(QFile::encodeName(cd.path("a.jpg")).constData(), 0);
        }) << false;
    }

    void keptPictureIsDroppedWhenItsFileChanged() {
        QFETCH(std::function<void(const TempCd &)>, change);
        QFETCH(bool, shown);
        TempCd cd;
        cd.writePicture("a.jpg", 900, 600, "JPG", QColor(200, 90, 40));
        const auto before = Show("a.jpg");
        QVERIFY(before);
        change(cd);
        WithoutFileOverride asAUser;
        QVERIFY(asAUser.ok());
        const auto after = Show("a.jpg");
        QCOMPARE(bool(after), shown);
        if (after)
            QVERIFY(after->image.cacheKey() != before->image.cacheKey());
    }
};

QTEST_GUILESS_MAIN(TestPictureReuse)
#include "tst_picture_reuse.moc"
