// SPDX-License-Identifier: MIT
// libFuzzer target: any byte stream, cut into pieces of any size, must decode and print without
// a fault, give the same paper and trace as the stream in one piece, and keep the paper within
// the roll.
#include "virtual/virtualcontroller.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// A short roll keeps each run fast; the limit itself is exercised all the more often.
constexpr int rollLength = 4096;

struct Result
{
    Virtual::GreyImage paper;
    QByteArray trace;
};

Result render(const std::uint8_t *data, std::size_t size, int head, std::size_t piece)
{
    QBuffer trace;
    trace.open(QIODevice::WriteOnly);
    Virtual::VirtualController controller({head, rollLength, &trace});
    for (std::size_t at = 0; at < size; at += piece) {
        const std::size_t n = piece < size - at ? piece : size - at;
        controller.feed(QByteArrayView(reinterpret_cast<const char *>(data + at), qsizetype(n)));
    }
    controller.finish();
    return {controller.paper(), trace.data()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses the print head and how the rest is cut.
    const int head = data[0] & 7;
    const std::size_t piece = 1 + std::size_t(data[0] >> 3) * 5;
    ++data;
    --size;

    const Result whole = render(data, size, head, size == 0 ? 1 : size);
    const Result pieces = render(data, size, head, piece);

    const int width = Virtual::Renderer::paperWidth(head);
    if (whole.paper.isNull() || whole.paper.width() < width ||
        whole.paper.width() > Virtual::Paper::maxWidth || whole.paper.height() > rollLength)
        std::abort();
    if (whole.paper != pieces.paper || whole.trace != pieces.trace)
        std::abort();
    return 0;
}
