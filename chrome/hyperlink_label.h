// A static text that looks and acts like a web link: link or visited colour, underlined, the
// address as its tooltip; a click opens the address and a failure is told in words.
#pragma once

#include <QColor>
#include <QCursor>
#include <QLabel>
#include <QString>

namespace vorlex::chrome {

class LinkOpener;
class Prompter;

class HyperlinkLabel final : public QLabel {
    Q_OBJECT
public:
    /// A link that opens through @p opener and reports failures through @p prompter; both
    /// must outlive it.
    HyperlinkLabel(LinkOpener& opener, Prompter& prompter, QWidget* parent = nullptr);

    /// The address to open, also the tooltip; an empty label shows it as its text.
    void setUrl(const QString& url);
    /// The address, or the label's text while no address is set.
    [[nodiscard]] QString url() const;

    void setColours(const QColor& link, const QColor& visited);
    void setVisited(bool visited);
    void setUnderline(bool underline);
    /// The cursor over the link; the standard arrow until set.
    void setLinkCursor(const QCursor& cursor) { setCursor(cursor); }

    [[nodiscard]] QColor linkColour() const { return link_; }
    [[nodiscard]] QColor visitedColour() const { return visitedColour_; }
    [[nodiscard]] bool visited() const noexcept { return visited_; }
    [[nodiscard]] bool underline() const noexcept { return underline_; }
    /// The colour the text is drawn in now.
    [[nodiscard]] QColor currentColour() const { return visited_ ? visitedColour_ : link_; }

    /// What a click does: opens the address; on success the link turns visited, otherwise a
    /// beep and an exclamation box with the reason.
    void openLink();

signals:
    /// The address was opened.
    void opened();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyLook();

    LinkOpener& opener_;
    Prompter& prompter_;
    QColor link_{0, 0, 238};
    QColor visitedColour_{85, 26, 139};
    bool visited_ = false;
    bool underline_ = true;
    QString url_;
};

/// The caption of the link's failure box: the program's name.
[[nodiscard]] QString linkFailureCaption();

} // namespace vorlex::chrome
