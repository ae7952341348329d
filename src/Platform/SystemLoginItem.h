// The login item of the platform the program runs on (Linux: the XDG autostart
// entry). Each backend defines the factory once.
#pragma once

#include "Platform/LoginItem.h"

namespace Trayvane {

/// A new login item for the running executable, owned by `parent`.
LoginItem *createSystemLoginItem(QObject *parent);

} // namespace Trayvane
