#pragma once

#include <QLabel>
#include <functional>

// A label drawn as a link (blue, underlined, 8 points, hand cursor). A click
// opens URL and colours the link purple; a form may set its own click handler
// instead and call OpenURL itself.
class THyperLink : public QLabel {
    Q_OBJECT
public:
    explicit THyperLink(QWidget* owner = nullptr);

    QString URL;

    // Replaces the built-in click behaviour (nullptr restores it).
    void SetOnClick(std::function<void()> handler) { FOnClick = std::move(handler); }

    // Hands address to the shell opener; returns the shell's code (above 32 on
    // success) and shows the message of a failure code.
    int OpenURL(const QString& address);

    // The built-in click: opens URL when it is set, then marks the link visited.
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> FOnClick;
};

// The message of a shell result code of 32 and below; empty above 32.
QString ShellErrorText(int code);
