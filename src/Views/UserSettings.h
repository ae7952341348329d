// The panel's persistent user settings: the panel height shared by the main,
// help and settings pages. Stored under the application id, key "windowHeight".
#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <memory>

class QSettings;

namespace Trayvane {

class UserSettings : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("UserSettings is created by the application")
    // Height of the main and help pages in points.
    Q_PROPERTY(double windowHeight READ windowHeight WRITE setWindowHeight NOTIFY windowHeightChanged FINAL)

public:
    static constexpr double defaultWindowHeight = 400.0;
    /// No screen shows a taller panel (the tallest, 8K upright, has 7680
    /// rows); a larger stored value is a broken one, not a choice.
    static constexpr double maximumWindowHeight = 8192.0;
    static inline const QString windowHeightKey = QStringLiteral("windowHeight");

    /// Settings of the application id in the user's native settings store.
    explicit UserSettings(QObject *parent = nullptr);
    /// Settings kept in an INI file at `filePath` (tests, screenshots).
    explicit UserSettings(const QString &filePath, QObject *parent = nullptr);
    ~UserSettings() override;

    /// The stored height, or 400 when the key is absent or does not hold a
    /// positive number up to maximumWindowHeight. Heights outside the
    /// settings page's range are kept as they are.
    double windowHeight() const { return m_windowHeight; }
    /// Stores a new height. Values that are not positive numbers up to
    /// maximumWindowHeight are refused and leave the stored value as it was.
    void setWindowHeight(double height);

    /// Reads a stored value the way windowHeight() does.
    static double heightFromStored(const QVariant &value);
    /// Whether a height can be a panel's at all.
    static bool isUsableHeight(double height);

signals:
    void windowHeightChanged();

private:
    void load();

    std::unique_ptr<QSettings> m_settings;
    double m_windowHeight = defaultWindowHeight;
};

} // namespace Trayvane
