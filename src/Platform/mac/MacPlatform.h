// The macOS backend: running applications from the workspace, their status
// items from the accessibility interface (read by the mirror's thread), the
// window server's list, captures and synthesized clicks. macOS only.
#pragma once

#include "Platform/Platform.h"

#include <QHash>
#include <QObject>

#include <memory>

namespace Trayvane {

class AccessibilityMirror;

class MacPlatform final : public QObject, public Platform
{
    Q_OBJECT

public:
    explicit MacPlatform(QObject *parent = nullptr);
    ~MacPlatform() override;

    qint32 ownProcessIdentifier() const override;
    QList<RunningApplication> runningApplications() override;
    ElementRef createApplicationElement(qint32 processIdentifier) override;
    AttributeResult copyAttributeValue(const ElementRef &element, const QString &attribute) override;
    int performAction(const ElementRef &element, const QString &action) override;
    bool isProcessTrusted() override;
    void requestTrustPrompt() override;
    QVariant copyWindowList() override;
    QImage createWindowImage(const QRectF &rect, quint32 windowID) override;
    MouseEventRef createMouseEvent(PlatformMouseEvent::Type type, const QPointF &point) override;
    void postMouseEvent(const MouseEventRef &event) override;
    void runAfter(double seconds, std::function<void()> step) override;
    bool openUrl(const QUrl &url) override;
    std::optional<QString> mainBundleIdentifier() const override;
    QString applicationDataDirectory() const override;
    bool runPermissionTool(const QString &executable, const QStringList &arguments) override;

private:
    std::unique_ptr<AccessibilityMirror> m_mirror;
    QHash<QString, QImage> m_icons; // per running application, drawn once
    bool m_mayCapture = false;      // the screen recording permission, as of this scan
    bool m_askedForCapture = false; // the system was asked for it in this run
};

} // namespace Trayvane
