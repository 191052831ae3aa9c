#include "windows/CLanguage.h"

#include <QLocale>

CLanguage CLanguage::FromSystemLocale()
{
    return CLanguage(QLocale::system().name().toStdString());
}
