#include "skin/CSkinLibrary.h"

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
    return QImage(m_strDirectory + QLatin1Char('/') + QString::number(id) + QStringLiteral(".png"));
}
