// The help page's copy action.
#include "Views/HelpCopy.h"

#include <QClipboard>
#include <QGuiApplication>

namespace Trayvane {

HelpCopy::HelpCopy(QObject *parent)
    : QObject(parent)
{
}

void HelpCopy::copy()
{
    // setText hands the clipboard a new data object holding only the text,
    // so every format that was there before is dropped.
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(Trayvane::helpCopyText.toString(), QClipboard::Clipboard);
}

} // namespace Trayvane
