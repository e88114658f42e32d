// The variant list: a list widget that reports right-button releases to its owner and carries
// the title tip that shows a selected line's whole text.
#pragma once

#include <QListWidget>
#include <QPoint>
#include <memory>

namespace vorlex::chrome {

class TitleTip;

class VariantListBox final : public QListWidget {
    Q_OBJECT
public:
    /// The list and its title tip, which starts disarmed.
    explicit VariantListBox(QWidget* parent = nullptr);
    ~VariantListBox() override;

    [[nodiscard]] TitleTip& titleTip() noexcept { return *tip_; }

    /// What a selection change does with the tip: hides it if armed, then arms it and shows
    /// @p text 20 pixels below the pointer, within the list's width and height.
    void showTitleTip(const QString& text);

signals:
    /// The right button was released at @p point (the list's viewport coordinates, as
    /// itemAt() takes them); sent before the list's own handling of the release.
    void rightButtonReleased(QPoint point);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<TitleTip> tip_;
};

} // namespace vorlex::chrome
