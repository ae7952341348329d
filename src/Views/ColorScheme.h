// Whether the desktop uses a dark scheme: the freedesktop portal's
// "color-scheme" setting where a portal answers, otherwise the lightness of
// the application palette. Follows changes of either.
#pragma once

#include <QColor>
#include <QDBusVariant>
#include <QObject>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace Trayvane {

class ColorScheme : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool dark READ dark NOTIFY darkChanged FINAL)

public:
    /// Asks the portal once, without waiting for the answer, and listens for
    /// its changes.
    explicit ColorScheme(QObject *parent = nullptr);

    bool dark() const;
    /// The teal of the status icon, for the panel's light or dark look.
    Q_INVOKABLE QColor teal(bool darkLook) const;

    /// The portal's value as a preference: 1 dark, 2 light; anything else
    /// (0 "no preference", a value of another type) gives none. Values may
    /// arrive wrapped in one or more D-Bus variants.
    static std::optional<bool> preferenceFromPortal(const QVariant &value);
    /// Whether the application palette looks dark.
    static bool paletteIsDark();

signals:
    void darkChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void onSettingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    void setPreference(std::optional<bool> preference);

    std::optional<bool> m_portalPreference;
    bool m_lastDark = false;
};

} // namespace Trayvane
