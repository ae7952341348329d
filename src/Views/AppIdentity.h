// The application id: the bus name of the single running copy and the name of
// its settings.
#pragma once

#include <QString>

namespace Trayvane {

inline const QString applicationId = QStringLiteral("org.trayvane.Trayvane");

} // namespace Trayvane
