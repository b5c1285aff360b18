// SPDX-License-Identifier: MIT
#include "virtual/live/realtimewatch.h"

namespace Virtual {

RealtimeWatch::RealtimeWatch() : m_line(*this, false), m_client(*this, true) {}

void RealtimeWatch::received(QByteArrayView bytes, bool fromClient)
{
    (fromClient ? m_client : m_line).decoder.feed(bytes);
}

void RealtimeWatch::Host::handle(const Event &event)
{
    if (event.op == Op::RealtimeStatus)
        Q_EMIT watch.statusRequested(event.value("n"), client);
    else if (event.op == Op::RealtimeControl && event.value("fn") == 1)
        Q_EMIT watch.drawerKicked(client);
}

} // namespace Virtual
