#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>
#include <vector>

namespace fw {

// Reduces a picture by a whole factor while its rows arrive, top to bottom: each
// output pixel averages a factor x factor block, and the last, partial blocks at the
// right and the bottom average only the pixels they have. A decoder that feeds it
// holds one row of the picture and the result, never the picture at full size.
class RowReducer {
public:
    // The result is null when it cannot be allocated.
    RowReducer(QSize natural, int factor);

    // The largest factor whose result still has at least the width and the height of
    // `atLeast` (1 when nothing smaller covers it).
    static int FactorFor(QSize natural, QSize atLeast);
    // What a reducer of this size holds: the result and its running sums.
    static int64_t Bytes(QSize natural, int factor);

    // How a decoder's row lies in memory.
    enum class Pixels {
        Bgra,                 // B, G, R, A bytes (QImage's ARGB32), alpha not premultiplied
        RgbaPremultiplied,    // R, G, B, A bytes, colours premultiplied by alpha
    };
    // Row `y`, laid over white the way a new picture shows transparency.
    void Add(const unsigned char* row, int y, Pixels pixels = Pixels::Bgra);
    // RGB32, complete once every row has been added.
    QImage& Result() { return out_; }

private:
    QSize natural_;
    int factor_;
    QImage out_;
    std::vector<uint64_t> sums_;   // per output column: B, G, R (wide: a factor may pass 4096)
};

} // namespace fw
