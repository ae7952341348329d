// Texts and geometry of StatusNotifierItems for the service.
#include "Platform/linux/SniHelpers.h"


namespace Trayvane::Sni {

QString capText(const QString &text)
{
    if (text.size() <= maxTextLength)
        return text;
    QString cut = text.left(maxTextLength);
    if (cut.back().isHighSurrogate())
        cut.chop(1); // never leave half a character behind
    return cut;
}

std::optional<QString> itemDescription(const QString &title, const QString &toolTipTitle)
{
    if (!title.isEmpty())
        return title;
    if (!toolTipTitle.isEmpty())
        return toolTipTitle;
    return std::nullopt;
}

std::optional<QString> itemTitle(const QString &id)
{
    if (id.isEmpty())
        return std::nullopt;
    return id;
}

QRectF barGeometry(int rank, bool displayed)
{
    return QRectF(barSlot * rank, 0.0, displayed ? barSlot : 0.0, barSlot);
}

bool isDisplayed(bool otherHostPresent, const QString &status)
{
    return otherHostPresent && status != QLatin1String("Passive");
}

} // namespace Trayvane::Sni
