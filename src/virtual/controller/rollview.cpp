// SPDX-License-Identifier: MIT
#include "rollview.h"

#include "virtual/greyimageqt.h"
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
    // The rows the roll still holds: a long run lets its oldest go.
    setFixedSize(paper.widestWidth(), std::max(1, paper.length() - paper.firstRow()));
    update();
}

void RollView::paintEvent(QPaintEvent *event)
{
    const QRect rows = event->rect();
    const int first = m_controller->paper().firstRow();
    QPainter painter(this);
    painter.drawImage(QPoint(0, rows.top()), Virtual::toQImage(m_controller->paper().image(
                                                 first + rows.top(), first + rows.bottom() + 1)));
}
