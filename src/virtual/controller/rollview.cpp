// SPDX-License-Identifier: MIT
#include "rollview.h"

#include "virtual/live/livecontroller.h"
#include "virtual/paper.h"

#include <QPaintEvent>
#include <QPainter>

RollView::RollView(const Virtual::LiveController *controller, QWidget *parent)
    : QWidget(parent),
      m_controller(controller)
{
    refresh();
}

void RollView::refresh()
{
    const Virtual::Paper &paper = m_controller->paper();
    setFixedSize(paper.widestWidth(), std::max(1, paper.length()));
    update();
}

void RollView::paintEvent(QPaintEvent *event)
{
    const QRect rows = event->rect();
    QPainter painter(this);
    painter.drawImage(QPoint(0, rows.top()),
                      m_controller->paper().image(rows.top(), rows.bottom() + 1));
}
