// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

namespace Virtual {
class LiveController;
}

// The paper roll, one pixel per dot, as tall as the paper printed so far. It draws only the rows
// in view, so a roll of any length costs no more than a screenful.
class RollView : public QWidget
{
    Q_OBJECT
public:
    explicit RollView(const Virtual::LiveController *controller, QWidget *parent = nullptr);

    // The paper has grown or changed: takes its new size and repaints.
    void refresh();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const Virtual::LiveController *m_controller;
};
