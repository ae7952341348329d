// The application id: the bus name of the single running copy, the name of
// its settings, its desktop entry and icon and of the control interface.
#pragma once

#include <QString>

namespace Trayvane {

inline const QString applicationId = QStringLiteral("org.trayvane.Trayvane");

} // namespace Trayvane
