// The variant list: a list widget that reports right-button releases to its owner and carries
// the title tip that shows a selected line's whole text. A line may carry a short text for a
// column of its own at the right end (how sure the ranking is of it); the line's own text gives
// way to it.
#pragma once

#include <QFont>
#include <QListWidget>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <memory>

namespace vorlex::chrome {

class TitleTip;

class VariantListBox final : public QListWidget {
    Q_OBJECT
public:
    /// The item role of the right-hand column's text (a QString; none: no column).
    static constexpr int kColumnRole = Qt::UserRole + 1;

    /// The list and its title tip, which starts disarmed.
    explicit VariantListBox(QWidget* parent = nullptr);
    ~VariantListBox() override;

    [[nodiscard]] TitleTip& titleTip() noexcept { return *tip_; }

    /// What a selection change does with the tip: hides it if armed, then arms it and shows
    /// @p text 20 pixels below the pointer, within the list's width and height.
    void showTitleTip(const QString& text);

    /// The longest texts the column may show: its width is the widest of them.
    void setColumnTexts(const QStringList& longest);
    /// The column's font: the list's, but never larger than the window's own, so that a large
    /// list font cannot push the column out of the list.
    [[nodiscard]] QFont columnFont() const;
    /// The column's width in pixels (0 without column texts).
    [[nodiscard]] int columnWidth() const;
    /// Where an item whose text would take @p textRect shows its column text.
    [[nodiscard]] QRect columnRect(const QRect& textRect) const;

signals:
    /// The right button was released at @p point (the list's viewport coordinates, as
    /// itemAt() takes them) and @p onScreen (where the pointer was on the screen, taken from
    /// the event itself); sent before the list's own handling of the release.
    void rightButtonReleased(QPoint point, QPoint onScreen);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<TitleTip> tip_;
    QStringList columnTexts_;
};

} // namespace vorlex::chrome
