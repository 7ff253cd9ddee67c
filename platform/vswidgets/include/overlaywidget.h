#pragma once

#include <QPointer>
#include <QWidget>

class QPropertyAnimation;

namespace vsWidgets
{

/// A panel shown over another widget: it covers that widget whole with a
/// dark, translucent backdrop (the alpha value) and slides its content in
/// from its position (the animation duration). The content is whatever the
/// subclass lays out on it. It follows the covered widget's size.
///
/// Call order: construct over the covered widget, set position, animation
/// duration and alpha value, lay the content out, then init(), which places,
/// shows and animates it. Closing it hides it (deleting it when
/// Qt::WA_DeleteOnClose is set).
class OverlayWidget : public QWidget
{
    Q_OBJECT
public:
    /// Where the content comes from and sits.
    enum Position
    {
        Top,    ///< slides down from the top edge
        Bottom, ///< slides up from the bottom edge
        Center  ///< appears in place, without animation
    };

    /// covered: the widget to cover (the overlay is its child).
    explicit OverlayWidget(QWidget* covered);
    ~OverlayWidget() override;

    void setPosition(Position position) { m_position = position; }
    Position position() const { return m_position; }
    /// Milliseconds of the slide-in (0: none).
    void setAnimationDuration(int milliseconds) { m_duration = milliseconds; }
    int animationDuration() const { return m_duration; }
    /// Alpha (0 transparent to 255 opaque) of the black backdrop.
    void setAlphaValue(int alpha);
    int alphaValue() const { return m_alpha; }

    /// Places the overlay over the covered widget, shows it on top and starts
    /// the slide-in.
    void init();

    QWidget* coveredWidget() const { return m_covered; }
    /// The running slide-in (null before init() or without animation).
    QPropertyAnimation* animation() const { return m_animation; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> m_covered;
    Position m_position = Top;
    int m_duration = 250;
    int m_alpha = 160;
    QPropertyAnimation* m_animation = nullptr;
};

} // namespace vsWidgets
