// The login item on macOS: the program registered as the main application's
// login item with ServiceManagement. macOS only.
#pragma once

#include "Platform/LoginItem.h"

namespace Trayvane {

class MacLoginItem final : public LoginItem
{
    Q_OBJECT

public:
    using LoginItem::LoginItem;

    /// On only while the status is enabled; requiring approval counts as off.
    bool isEnabled() override;
    /// Registers; the system may still ask the user to approve it.
    bool registerItem() override;
    /// Unregisters; nothing registered counts as success.
    bool unregisterItem() override;
};

} // namespace Trayvane
