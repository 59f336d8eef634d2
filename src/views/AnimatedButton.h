#pragma once

#include "views/AnimatedButtonCell.h"

#include <QPushButton>

// A two-state (checkable) square button with an empty title, showing one
// frame of the gears animation over its face. The application steps the
// frames while the output it stands for is running.
class AnimatedButton : public QPushButton {
    Q_OBJECT
public:
    explicit AnimatedButton(QWidget* parent = nullptr);

    void nextFrame();
    void lastFrame();
    const AnimatedButtonCell& cell() const { return buttonCell; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AnimatedButtonCell buttonCell;
};
