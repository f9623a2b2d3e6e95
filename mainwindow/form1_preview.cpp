#include "app/globals.h"
#include "mainwindow/form1.h"
#include "mainwindow/preview_rules.h"
#include "platform/files/files.h"
#include "platform/imaging/lookahead.h"
#include "platform/runtime/twips.h"
#include "viewer/form2.h"

#include <QLocale>

#include <cmath>
#include <utility>

namespace {

// The preview box in device pixels: a picture is decoded no smaller than it is drawn there.
QSize previewDeviceBox(const QWidget *box) {
    const qreal ratio = box->devicePixelRatioF();
    return QSize(static_cast<int>(std::ceil(platform::ToPixels(PreviewBoxWidth, box) * ratio)),
                 static_cast<int>(std::ceil(platform::ToPixels(PreviewBoxHeight, box) * ratio)));
}

} // namespace

void Form1::List1_Click() {
    const int previous = g.CurrentIndex;
    g.CurrentIndex = List1->ListIndex() + 1;
    Thumbnail();
    // Once this row's preview took what was read ahead for it: the rest, read for the row left
    // behind, must not hold up this one.
    platform::DropReadsAhead();
    readAheadStep_ = g.CurrentIndex < previous ? -1 : 1;
    // Once the preview is read: on a CD a read beside it would share the drive and hold it up.
    std::erase(afterPreview_, &Form1::ReadAhead);
    if (!WaitsForPreview(&Form1::ReadAhead))
        ReadAhead();
}

// A row that stays selected is likely to be viewed, or left for the next row the same way: both
// are read meanwhile.
void Form1::ReadAhead() {
    const int next = g.CurrentIndex + readAheadStep_;
    const QString entry = CatalogueEntry(g.CurrentIndex);
    const QString nextEntry = next >= 1 && next <= g.ImageCount ? CatalogueEntry(next) : QString();
    if (!entry.isEmpty())
        platform::LookAheadSoon(
            300, g.ImagesFolder + QStringLiteral("\\") + entry,
            Form2::ScreenSizeFor(this, devicePixelRatioF()),
            nextEntry.isEmpty() ? QString() : g.ImagesFolder + QStringLiteral("\\") + nextEntry,
            previewDeviceBox(Picture1));
}

// The file is read on a worker; the preview, its label and the information line change together
// once it has been, and a newer selection makes a read still in progress pointless.
void Form1::Thumbnail() {
    const QString entry = CatalogueEntry(g.CurrentIndex);
    askedAt_ = ++g.PicturesAsked;
    // The same row selected again (a return from the viewer) is the read under way.
    if (previewRead_.pending() && readingEntry_ == entry)
        return;
    readingEntry_ = entry;
    previewRead_.start<platform::PreviewRead>(
        this,
        platform::PreviewReadOf(g.ImagesFolder + QStringLiteral("\\") + entry,
                                previewDeviceBox(Picture1)),
        [this, entry](platform::PreviewRead read) { ShowThumbnail(entry, std::move(read)); });
}

void Form1::ShowThumbnail(const QString &entry, platform::PreviewRead read) {
    Image1->SetVisible(false);

    // A file that does not load leaves the previous picture in the measuring box, but it is not
    // this entry's: Save and Wallpaper must not write it under this entry's name.
    if (read.picture)
        Picture5 = std::move(*read.picture);
    else
        Picture5.source.clear();

    if (!Picture5.isNull()) {
        const float twips = platform::TwipsPerPixel(this);
        const auto scaleWidth = static_cast<float>(Picture5.natural.width());
        const auto scaleHeight = static_cast<float>(Picture5.natural.height());
        const PreviewFit fit =
            FitPreview(scaleWidth, scaleHeight, scaleWidth * twips, scaleHeight * twips);
        if (fit.AspectRatio)
            g.AspectRatio = *fit.AspectRatio;
        Image1->SetHeight(fit.Height);
        Image1->SetWidth(fit.Width);
        Image1->SetPicture(Picture5.image);
        Image1->SetLeft(fit.Left);
        Image1->SetTop(fit.Top);
    }

    // Without an entry there is no title to take: the previous one stays.
    const QString title = entry.isEmpty() ? g.ImageTitle : PreviewTitle(entry);
    if (askedAt_ > g.TitleAskedAt) {
        g.ImageTitle = title;
        g.TitleAskedAt = askedAt_;
    }
    g.ImageType = PictureType(entry);
    Convert(read.fileLength);
    Label2->setText(title);
    Image1->setAccessibleName(title);
    g.InfoStep = 0;
    Image1->SetVisible(true);

    for (const auto command : std::exchange(afterPreview_, {}))
        (this->*command)();
}

bool Form1::WaitsForPreview(void (Form1::*command)()) {
    if (!previewRead_.pending())
        return false;
    afterPreview_.push_back(command);
    return true;
}

// The length comes with the picture's read, from the same look at the file.
void Form1::Convert(std::optional<qint64> size) {
    g.ImageSizeText = SizeText(size, QLocale::system().decimalPoint());
}

void Form1::Timer1_Timer() {
    const InfoFacts facts{g.ImageType,
                          PixelSizeText(std::max(0, Picture5.natural.width()),
                                        std::max(0, Picture5.natural.height())),
                          g.ImageSizeText, g.ImageTitle};
    if (const auto line = NextInfoLine(g.InfoStep, facts)) {
        Label2->setText(line->text);
        g.InfoStep = line->nextStep;
    }
}
