#pragma once

#include <QWidget>

// The panel that drops from the tray icon: a frameless popup that closes when it loses focus.
// Its content is set once by the shell.
class PopoverWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 320;

    explicit PopoverWindow(QWidget* parent = nullptr);

    void setContent(QWidget* content);
    // The content asks for `height`: the panel takes it at once, also while shown, keeping the
    // edge that faces the tray icon in place.
    void fitContentHeight(int height);

    // Shows the panel next to `anchor` (the tray icon's geometry in global coordinates; empty
    // when the tray host does not report it, in which case the cursor position is used), kept
    // inside the screen.
    void popUp(const QRect& anchor);

private:
    QWidget* m_content = nullptr;
    // Opened above its icon, so its bottom edge is the one to keep.
    bool m_above = false;
};
