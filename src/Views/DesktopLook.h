// What the desktop offers the panel's look: whether windows can be
// see-through (a compositor draws them), so the panel can have rounded
// corners and a shadow, and how much larger than normal the desktop sets text.
#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace Trayvane {

class DesktopLook : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool translucent READ translucent CONSTANT FINAL)
    Q_PROPERTY(qreal textScale READ textScale NOTIFY textScaleChanged FINAL)

public:
    explicit DesktopLook(QObject *parent = nullptr);

    /// True where a compositor draws the windows: on X11 when a compositing
    /// manager owns the screen's selection, on Wayland and macOS always; false
    /// offscreen.
    bool translucent() const { return m_translucent; }
    /// The desktop's text size against the usual 10 points, between 1 and 2:
    /// a larger desktop font makes the panel's text larger, a smaller one
    /// leaves the panel's sizes as they are.
    qreal textScale() const { return m_textScale; }

    /// The text scale for a desktop font of `pointSize` points (-1: unknown).
    static qreal textScaleFor(qreal pointSize);

signals:
    void textScaleChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static bool compositorRuns();
    void updateTextScale();

    bool m_translucent = false;
    qreal m_textScale = 1.0;
};

} // namespace Trayvane
