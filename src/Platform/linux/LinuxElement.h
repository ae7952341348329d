// The element handles the Linux backend gives the service: an application, its
// status item bar, one StatusNotifierItem or one X11 tray icon. Made only here,
// so an element of another type is a caller's mistake.
#pragma once

#include "Platform/PlatformElement.h"

#include <QString>

namespace Trayvane {

class LinuxElement : public PlatformElement
{
public:
    enum class Kind { Application, Bar, Item, XEmbedIcon };
    LinuxElement(Kind kind, qint32 pid, QString entry = {}, quint64 sequence = 0)
        : kind(kind), pid(pid), entry(std::move(entry)), sequence(sequence)
    {
    }
    Kind kind;
    qint32 pid;
    QString entry;     // items: the host's key of the item
    quint64 sequence;  // items: which registration of that entry; X11 tray icons: the icon window
    // Items: the rank on the virtual bar as of the listing they were handed
    // out with, so a scan does not look it up four times per item.
    int rank = 0;
    quint64 generation = 0;
};

} // namespace Trayvane
