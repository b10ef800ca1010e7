#pragma once

#include <QFrame>
#include <QLabel>
#include <QWidget>

namespace app {

// The frame of the title screen: a click on the frame itself (not on a label or the logo)
// closes the screen.
class TitleFrame final : public QFrame {
    Q_OBJECT
public:
    explicit TitleFrame(QWidget* parent);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// `タイトル画面`: the title screen shown for two seconds at every start. A key that produces a
// character, or a click on `Frame1`, closes it early.
class TitleScreen final : public QWidget {
    Q_OBJECT
public:
    TitleScreen();

    void Form_Load();
    void Frame1_Click();

    TitleFrame* Frame1;
    QLabel* imgLogo;
    QLabel* lblProductName;
    QLabel* lblVersion;
    QLabel* lblPlatform;
    QLabel* lblCompanyProduct;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Asks for the keyboard: a window manager need not focus a new frameless window, and
    // the key that closes the screen must reach it.
    void showEvent(QShowEvent* event) override;
};

}  // namespace app
