// The stand-in for the status icon where no tray or bar shows it: the icon on
// a small rounded tile of the window colour near the top right corner of the
// screen, drawn at the screen's pixel ratio.
#pragma once

#include <QRect>
#include <QWidget>

#include <functional>

namespace Trayvane {

class FallbackIcon : public QWidget
{
public:
    std::function<void()> onClicked;

    FallbackIcon();

    void setDark(bool dark);

    /// Where the window goes on the primary screen. Its own frame is not
    /// known to the toolkit before the window server has shown it.
    static QRect placeOnScreen();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void setHovered(bool hovered);

    bool m_dark = false;
    bool m_hovered = false;
};

} // namespace Trayvane
