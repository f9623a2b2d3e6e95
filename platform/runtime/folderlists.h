#pragma once
// The drive, folder and file lists of the window runtime. Paths are program paths: "\" between
// folders, a root reads "\" (on disk they are the usual absolute paths).

#include <QComboBox>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

namespace platform {

// The places offered as drives: the root, the home folder, the file system holding the current
// folder, and removable media mounted under /media, /run/media or /mnt. On-disk paths, no
// repeats, in that order.
QStringList DriveRoots(const QStringList &mountedRoots, const QString &home,
                       const QString &currentRoot);

class DriveListBox : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveListBox(QWidget *parent = nullptr);

    // The chosen drive's root as a program path.
    QString Drive() const;
    // Chooses the drive holding the program path given; raises no Change.
    void SetDrive(const QString &path);

  signals:
    // The user chose another drive.
    void Change();
};

// Shows the opened folder under its parents, with its subfolders below it. A double-click (or
// Enter) opens a folder; highlighting one does not change the path.
class DirListBox : public QTreeWidget {
    Q_OBJECT
  public:
    explicit DirListBox(QWidget *parent = nullptr);

    // The opened folder as a program path.
    QString Path() const { return path_; }
    // Opens a folder; false, and the list stays as it was, when it cannot be listed.
    bool SetPath(const QString &path);

  signals:
    // The opened folder changed.
    void Change();

  private:
    void open(const QModelIndex &index);
    QString path_;
};

// The hidden file list: it only follows a folder, so it holds nothing but the path.
class FileListBox : public QWidget {
    Q_OBJECT
  public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString Path() const { return path_; }
    void SetPath(const QString &path) { path_ = path; }

  private:
    QString path_;
};

} // namespace platform
