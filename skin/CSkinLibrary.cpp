#include "skin/CSkinLibrary.h"

#include <QFileInfo>
#include <QImageReader>

#include <utility>

CSkinLibrary::CSkinLibrary(QString directory)
    : m_strDirectory(std::move(directory))
{
}

QString CSkinLibrary::SkinDirectory(const QString& programDirectory)
{
    return programDirectory + QStringLiteral("/skin");
}

QImage CSkinLibrary::Load(int id) const
{
    if (id <= 0)
        return QImage();
    const auto found = m_cache.constFind(id);
    return found != m_cache.constEnd() ? *found : Read(id);
}

QImage CSkinLibrary::Image(int id) const
{
    if (id <= 0)
        return QImage();
    const auto found = m_cache.constFind(id);
    if (found != m_cache.constEnd())
        return *found;
    // A missing file is cached as a null image as well, so a skin without some
    // optional bitmap does not cost a file lookup on every ApplySkin.
    return *m_cache.insert(id, Read(id));
}

QImage CSkinLibrary::Read(int id) const
{
    const QString path = m_strDirectory + QLatin1Char('/') + QString::number(id) + QStringLiteral(".png");
    // Named as PNG, the reader uses Qt's own PNG decoder; left to guess, it
    // first loads every image-format plugin installed to ask each of them.
    // A file that is no PNG after all (a skin saved in another format under
    // the same name) is still read by guessing.
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull() && QFileInfo::exists(path))
        image = QImage(path);
    return image;
}
