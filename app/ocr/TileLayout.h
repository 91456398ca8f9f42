#pragma once

#include <QList>
#include <QRect>

class QImage;

// One piece of a normalised screen that is recognised on its own. Lines found in `area` are kept
// when their vertical centre lies in [keepTop, keepBottom): pieces overlap where a cut had to go
// through ink, and each line then belongs to exactly one of them.
struct Tile {
    QRect area;
    int keepTop = 0;
    int keepBottom = 0;

    friend bool operator==(const Tile&, const Tile&) = default;
};

// Cuts a normalised screen (black ink on white) into tiles: horizontal bands cut at the emptiest
// row near evenly spaced positions, then each band cut at wide empty columns (the gaps between
// windows and panels), trimmed to its ink. Small tiles let several engines share one screen, keep
// lines of side-by-side windows apart, and let a re-scan skip the tiles that did not change.
// Blank areas give no tile.
namespace TileLayout {

inline constexpr int kBandHeight = 160;
// How far from its even position a band edge may move to find an empty row.
inline constexpr int kCutSearch = 56;
// The overlap added on both sides of a cut that went through ink; taller than any screen line.
inline constexpr int kCutOverlap = 48;
// Empty columns at least this wide split a band.
inline constexpr int kMinColumnGap = 40;
// White space left around the ink of a tile.
inline constexpr int kPadding = 8;

QList<Tile> tiles(const QImage& normalized);

}  // namespace TileLayout
