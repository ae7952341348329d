// Item pictures named by a file or a theme: decoded within fixed bounds, off
// the main thread when a file must be read, and cached by what makes a picture
// different (the file, its modification time and size), so that a client
// repeating or renaming the same picture costs no decoding.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <optional>

namespace Trayvane {

namespace Pictures {

/// Files larger than this are not an item's picture.
constexpr qint64 maxFileSize = 8 * 1024 * 1024;
/// A raster file declaring a larger side is refused unread: decoding costs
/// time in proportion to the declared pixels, whatever size is asked for.
constexpr int maxDeclaredSide = 1024;
/// What the reader may allocate for one picture (a 1024 x 1024 ARGB image is 4 MB).
constexpr int allocationLimitMB = 8;

/// The image centred on a transparent square of `pixels`.
QImage fitted(const QImage &image, int pixels);

/// Reads a plain file's picture at `pixels`, within the bounds above; a null
/// image for anything else (a FIFO, a device, too large, not a picture).
/// Safe on any thread.
QImage readFile(const QString &path, int pixels);

/// The file a name inside an item's own icon folder stands for, or empty.
QString findInThemePath(const QString &themePath, const QString &name);

} // namespace Pictures

class IconLoader : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const QImage &)>;

    explicit IconLoader(int pixels, QObject *parent = nullptr);
    ~IconLoader() override;

    /// The picture `name` stands for (an absolute path, a name inside
    /// `themePath`, or a theme name). Returns it when it is known without
    /// reading a file; otherwise reads it on the loader's thread and calls
    /// `done` later on this thread. A newer request of the same `slot`
    /// replaces one that has not started yet.
    std::optional<QImage> request(const QString &slot, const QString &name, const QString &themePath, Done done);

    /// Pictures read from files so far (for tests and benchmarks).
    int decodedCount() const { return m_decoded; }

private:
    struct FileKey
    {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        bool operator==(const FileKey &) const = default;
    };
    struct Job
    {
        QString slot;
        QString name;
        QString themePath;
        QString lookup; // the resolution cache's key
        QList<Done> done;
    };
    struct Result
    {
        QString lookup;
        FileKey file;
        QImage image;
    };
    static std::optional<FileKey> fileKey(const QString &path);
    void startNext();
    QImage themeIcon(const QString &name);
    void remember(const QString &lookup, const FileKey &file, const QImage &image);

    int m_pixels;
    QThreadPool m_pool;
    bool m_busy = false;
    QHash<QString, Job> m_waiting; // by slot, latest request only
    QList<QString> m_order;        // slots in the order they asked
    // name + theme path -> the file it resolved to; file -> its picture.
    QHash<QString, FileKey> m_resolved;
    QHash<QString, std::pair<FileKey, QImage>> m_pictures;
    QHash<QString, QImage> m_themeIcons;
    int m_decoded = 0;
};

/// Loads an icon named the way items name them (absolute path, a name inside
/// the item's own theme path, or a theme name) at `pixels` size, at once and
/// within the bounds of `Pictures::readFile`; cached by file and modification time.
QImage loadNamedIcon(const QString &name, const QString &themePath, int pixels);

} // namespace Trayvane
