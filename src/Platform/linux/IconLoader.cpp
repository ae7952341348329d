// Item pictures named by a file or a theme.
#include "Platform/linux/IconLoader.h"
#include "Platform/linux/StatusNotifierHost.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QPainter>

namespace Trayvane {

namespace Pictures {

QImage fitted(const QImage &image, int pixels)
{
    if (image.isNull())
        return {};
    if (image.width() == pixels && image.height() == pixels)
        return image;
    QImage canvas(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    const QImage scaled = image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&canvas);
    painter.drawImage((pixels - scaled.width()) / 2, (pixels - scaled.height()) / 2, scaled);
    return canvas;
}

QImage readFile(const QString &path, int pixels)
{
    // Only plain files of a sane size: a peer may name a FIFO or a device,
    // whose opening or reading would never end.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxFileSize)
        return {};
    QImageReader reader(path);
    reader.setAllocationLimit(allocationLimitMB);
    const QSize declared = reader.size(); // read from the header, nothing decoded yet
    const QSize fitting = declared.scaled(pixels, pixels, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    if (reader.format() == "svg" || reader.format() == "svgz") {
        // Drawn at the size asked for, whatever the file declares.
        reader.setScaledSize(declared.isValid() ? fitting : QSize(pixels, pixels));
    } else {
        if (!declared.isValid() || declared.width() > maxDeclaredSide || declared.height() > maxDeclaredSide)
            return {};
        if (declared.width() > pixels || declared.height() > pixels)
            reader.setScaledSize(fitting);
    }
    return fitted(reader.read(), pixels);
}

QString findInThemePath(const QString &themePath, const QString &name)
{
    // Items ship their own icons in a small private tree; a bounded look.
    static const QStringList suffixes{QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("xpm")};
    QDirIterator it(themePath, QDir::Files, QDirIterator::Subdirectories);
    for (int seen = 0; it.hasNext() && seen < 2000; ++seen) {
        const QFileInfo info(it.nextFileInfo());
        if (info.completeBaseName() == name && suffixes.contains(info.suffix()))
            return info.filePath();
    }
    return {};
}

} // namespace Pictures

namespace {
// Entries kept per cache before it starts afresh.
constexpr int maxCacheEntries = 500;
} // namespace

IconLoader::IconLoader(int pixels, QObject *parent) : QObject(parent), m_pixels(pixels)
{
    // One reader at a time: pictures never take more than one core, however
    // many clients send new ones.
    m_pool.setMaxThreadCount(1);
}

IconLoader::~IconLoader()
{
    m_pool.clear();
    m_pool.waitForDone();
}

std::optional<IconLoader::FileKey> IconLoader::fileKey(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return FileKey{info.absoluteFilePath(), info.lastModified(), info.size()};
}

std::optional<QImage> IconLoader::request(const QString &slot, const QString &name, const QString &themePath,
                                          Done done)
{
    m_waiting.remove(slot); // a newer picture of this slot replaces the unread one
    m_order.removeOne(slot);

    Job job{slot, name, QString(), QString(), {std::move(done)}};
    if (QDir::isAbsolutePath(name)) {
        const auto key = fileKey(name);
        if (!key)
            return QImage();
        if (const auto it = m_pictures.constFind(key->path); it != m_pictures.constEnd() && it->first == *key)
            return it->second;
    } else {
        // A theme path that names no folder changes nothing: the name is
        // looked up in the icon theme as without one.
        const bool ownFolder = !themePath.isEmpty() && QDir::isAbsolutePath(themePath) && !name.contains(QLatin1Char('/'))
                               && QFileInfo(themePath).isDir();
        if (!ownFolder)
            return themeIcon(name);
        job.themePath = themePath;
        job.lookup = themePath + QLatin1Char('\n') + name;
        if (const auto it = m_resolved.constFind(job.lookup); it != m_resolved.constEnd()) {
            if (it->path.isEmpty())
                return themeIcon(name); // not in the item's folder
            const auto key = fileKey(it->path);
            const auto picture = key ? m_pictures.constFind(key->path) : m_pictures.constEnd();
            if (key && *key == *it && picture != m_pictures.constEnd() && picture->first == *key)
                return picture->second;
        }
    }
    m_waiting.insert(slot, std::move(job));
    m_order.append(slot);
    startNext();
    return std::nullopt;
}

void IconLoader::startNext()
{
    if (m_busy || m_order.isEmpty())
        return;
    Job job = m_waiting.take(m_order.takeFirst());
    m_busy = true;
    const int pixels = m_pixels;
    m_pool.start([this, job, pixels]() {
        Result result{job.lookup, {}, {}};
        const QString path =
            job.themePath.isEmpty() ? job.name : Pictures::findInThemePath(job.themePath, job.name);
        if (const auto key = path.isEmpty() ? std::nullopt : fileKey(path)) {
            result.file = *key;
            result.image = Pictures::readFile(key->path, pixels);
        }
        QMetaObject::invokeMethod(
            this,
            [this, result, job]() {
                m_busy = false;
                ++m_decoded;
                remember(result.lookup, result.file, result.image);
                // Not in the item's folder: the theme's picture of that name.
                const QImage image =
                    result.file.path.isEmpty() && !job.lookup.isEmpty() ? themeIcon(job.name) : result.image;
                for (const Done &done : job.done)
                    done(image);
                startNext();
            },
            Qt::QueuedConnection);
    });
}

QImage IconLoader::themeIcon(const QString &name)
{
    if (const auto it = m_themeIcons.constFind(name); it != m_themeIcons.constEnd())
        return *it;
    QImage image;
    const QIcon icon = QIcon::fromTheme(name);
    if (!icon.isNull())
        image = Pictures::fitted(icon.pixmap(m_pixels, m_pixels).toImage(), m_pixels);
    if (m_themeIcons.size() >= maxCacheEntries)
        m_themeIcons.clear();
    m_themeIcons.insert(name, image);
    return image;
}

void IconLoader::remember(const QString &lookup, const FileKey &file, const QImage &image)
{
    if (m_pictures.size() >= maxCacheEntries)
        m_pictures.clear();
    if (m_resolved.size() >= maxCacheEntries)
        m_resolved.clear();
    if (!file.path.isEmpty())
        m_pictures.insert(file.path, {file, image});
    if (!lookup.isEmpty())
        m_resolved.insert(lookup, file);
}

QImage loadNamedIcon(const QString &name, const QString &themePath, int pixels)
{
    static QHash<QString, QImage> cache;
    QString file;
    if (QDir::isAbsolutePath(name))
        file = name;
    else if (!themePath.isEmpty() && QDir::isAbsolutePath(themePath) && !name.contains(QLatin1Char('/'))
             && QFileInfo(themePath).isDir())
        file = Pictures::findInThemePath(themePath, name);
    QString key = QString::number(pixels) + QLatin1Char('\n');
    if (!file.isEmpty()) {
        const QFileInfo info(file);
        key += file + QLatin1Char('\n') + QString::number(info.lastModified().toMSecsSinceEpoch())
               + QLatin1Char('\n') + QString::number(info.size());
    } else {
        key += QLatin1Char('\n') + name;
    }
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QImage image;
    if (!file.isEmpty()) {
        image = Pictures::readFile(file, pixels);
    } else if (!QDir::isAbsolutePath(name)) {
        const QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull())
            image = Pictures::fitted(icon.pixmap(pixels, pixels).toImage(), pixels);
    }
    if (cache.size() >= maxCacheEntries)
        cache.clear();
    cache.insert(key, image);
    return image;
}

} // namespace Trayvane
