#include "ocr/GlyphSpacing.h"

#include "ocr/GlyphReading.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace GlyphSpacing {
namespace {

constexpr uint8_t kInkBelow = 128;

struct InkBox {
    int left = 0;
    int right = -1;  // inclusive; right < left when there is no ink
    int top = 0;
    int bottom = -1;

    bool empty() const { return right < left; }
    double centre() const { return (left + right) / 2.0; }
    int width() const { return right - left + 1; }
};

// The tightest box around the ink inside `area` (clipped to the image).
InkBox inkIn(const QImage& ink, QRect area) {
    area = area.intersected(ink.rect());
    InkBox box{area.right() + 1, area.left() - 1, area.bottom() + 1, area.top() - 1};
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uint8_t* row = ink.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x) {
            if (row[x] < kInkBelow) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

// The widest run of columns without ink between x0 and x1 over the rows top..bottom.
int widestEmptyRun(const QImage& ink, int x0, int x1, int top, int bottom) {
    top = std::max(0, top);
    bottom = std::min(ink.height() - 1, bottom);
    x0 = std::max(0, x0);
    x1 = std::min(ink.width() - 1, x1);
    int widest = 0;
    int run = 0;
    for (int x = x0; x <= x1; ++x) {
        bool empty = true;
        for (int y = top; y <= bottom && empty; ++y) {
            empty = ink.constScanLine(y)[x] >= kInkBelow;
        }
        run = empty ? run + 1 : 0;
        widest = std::max(widest, run);
    }
    return widest;
}

// The ink of each glyph inside the engine's box for it, where that box is not shared with the
// neighbours'. Empty when a glyph has no ink at all.
std::vector<InkBox> inkInAreas(const QImage& ink, const std::vector<QRect>& areas,
                               bool& overlapping) {
    std::vector<InkBox> boxes;
    for (size_t i = 0; i < areas.size(); ++i) {
        // Nor may a glyph's ink reach into its neighbours' boxes.
        QRect area = areas[i];
        if (i + 1 < areas.size()) {
            area.setRight(std::min(area.right(), areas[i + 1].left() - 1));
        }
        if (i > 0) {
            area.setLeft(std::max(area.left(), areas[i - 1].right() + 1));
        }
        InkBox box = inkIn(ink, area);
        if (box.empty()) {
            // The engine's boxes of two glyphs may overlap so far that nothing of one is left
            // beside the other ("34" in boxes 95..107 and 97..118): its ink is its own box's.
            // Such ink boxes are too rough to tell a monospace cell gap from a space.
            box = inkIn(ink, areas[i]);
            overlapping = true;
        }
        if (box.empty()) {
            return {};
        }
        boxes.push_back(box);
    }
    return boxes;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool isNarrowMark(const QString& text) {
    static const QString kNarrow = QStringLiteral("ijl!|.,:;'");
    return text.size() == 1 && kNarrow.contains(text.at(0));
}

bool isDigit(const QString& text) {
    return text.size() == 1 && text.at(0).isDigit();
}

bool isGroupMark(const QString& text) {
    return text == QLatin1String("-") || text == QLatin1String(".");
}

// A space before glyph `i` that would stand inside a number written in groups: between two digits,
// or between a digit and the "-" or "." that joins it to the next group ("746 -06", "287 .31").
bool joinsDigitGroups(const QList<RecognizedGlyph>& glyphs, size_t i) {
    const auto at = static_cast<qsizetype>(i);
    const QString& before = glyphs.at(at - 1).text;
    const QString& after = glyphs.at(at).text;
    if (isDigit(before) && isDigit(after)) {
        return true;
    }
    if (isDigit(before) && isGroupMark(after)) {
        return at + 1 < glyphs.size() && isDigit(glyphs.at(at + 1).text);
    }
    return isGroupMark(before) && isDigit(after) && at >= 2 && isDigit(glyphs.at(at - 2).text);
}

// The widest run of ground across the two words that meet at glyph `i`, from the first glyph's box
// to the last one's: the space between them, unless the engine's boxes are off. Where the engine
// stretched a word's last box over the ground after it, the glyphs' ink boxes fall on the next
// word and the two look joined; the ground between two table cells' numbers stays wide.
int groundBetweenWords(const QList<RecognizedGlyph>& glyphs, size_t i, const QImage& ink, int top,
                       int bottom) {
    auto first = static_cast<qsizetype>(i) - 1;
    while (first > 0 && !glyphs.at(first).wordStart) {
        --first;
    }
    const qsizetype last = GlyphReading::wordEnd(glyphs, static_cast<qsizetype>(i)) - 1;
    return widestEmptyRun(ink, glyphs.at(first).box.left(), glyphs.at(last).box.right(), top,
                          bottom);
}

bool isLetter(const QString& text) {
    return text.size() == 1 && text.at(0).isLetter();
}

// True when the line's letters stand on one grid of cells across its words: a line without narrow
// letters ("-rw-r--r-- 1 omar 21.4K Jun 26 card_4170443544736.pdf") shows its monospace font that
// way. Proportional letters drift off any grid within a few glyphs; digits alone do not count, as
// every font sets them on one pitch.
bool onCellGrid(const QList<RecognizedGlyph>& glyphs, const std::vector<InkBox>& boxes,
                double pitch) {
    const auto letters = std::count_if(glyphs.begin(), glyphs.end(),
                                       [](const RecognizedGlyph& g) { return isLetter(g.text); });
    if (letters < kMinGridLetters) {
        return false;
    }
    // Cell numbers from the steps between neighbours, then the grid that fits them best.
    std::vector<double> cells{0};
    for (size_t i = 1; i < boxes.size(); ++i) {
        const double step = (boxes[i].centre() - boxes[i - 1].centre()) / pitch;
        cells.push_back(cells.back() + std::max(1.0, std::round(step)));
    }
    const auto n = static_cast<double>(boxes.size());
    double sumCell = 0;
    double sumCentre = 0;
    double sumCellCell = 0;
    double sumCellCentre = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
        sumCell += cells[i];
        sumCentre += boxes[i].centre();
        sumCellCell += cells[i] * cells[i];
        sumCellCentre += cells[i] * boxes[i].centre();
    }
    const double spread = n * sumCellCell - sumCell * sumCell;
    if (spread <= 0) {
        return false;
    }
    const double cell = (n * sumCellCentre - sumCell * sumCentre) / spread;
    const double origin = (sumCentre - cell * sumCell) / n;
    if (std::abs(cell - pitch) > kPitchTolerance * pitch) {
        return false;
    }
    size_t onGrid = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
        onGrid += std::abs(boxes[i].centre() - (origin + cell * cells[i])) <= kGridTolerance * cell;
    }
    return static_cast<double>(onGrid) >= kGridShare * n;
}

}  // namespace

QString respace(const RecognizedLine& line, const QImage& ink) {
    const QList<RecognizedGlyph>& glyphs = line.glyphs;
    if (glyphs.size() <= kMinDigitSteps || ink.format() != QImage::Format_Grayscale8) {
        return line.text;
    }
    std::vector<double> widths;
    for (const RecognizedGlyph& glyph : glyphs) {
        widths.push_back(glyph.box.width());
    }
    const int widest = static_cast<int>(std::ceil(1.5 * median(widths)));
    // The engine sometimes stretches the last glyph of a word over the ground after it.
    std::vector<QRect> areas;
    for (const RecognizedGlyph& glyph : glyphs) {
        QRect area = glyph.box;
        area.setWidth(std::min(area.width(), widest));
        areas.push_back(area);
    }
    bool overlapping = false;
    const std::vector<InkBox> boxes = inkInAreas(ink, areas, overlapping);
    if (boxes.size() != areas.size()) {
        return line.text;
    }

    std::vector<double> steps;
    std::vector<double> narrowSteps;
    std::vector<double> digitSteps;
    std::vector<double> bottoms;
    std::vector<double> heights;
    for (size_t i = 0; i < boxes.size(); ++i) {
        bottoms.push_back(boxes[i].bottom);
        heights.push_back(boxes[i].bottom - boxes[i].top + 1);
        const auto at = static_cast<qsizetype>(i);
        if (i == 0 || glyphs.at(at).wordStart) {
            continue;
        }
        const double step = boxes[i].centre() - boxes[i - 1].centre();
        steps.push_back(step);
        const QString& a = glyphs.at(at - 1).text;
        const QString& b = glyphs.at(at).text;
        if ((isNarrowMark(a) && isLetter(b)) || (isLetter(a) && isNarrowMark(b))) {
            narrowSteps.push_back(step);
        }
        if (isDigit(a) && isDigit(b)) {
            digitSteps.push_back(step);
        }
    }
    const double pitch = steps.empty() ? 0 : median(steps);
    const auto onPitch = std::count_if(steps.begin(), steps.end(), [&](double step) {
        return std::abs(step - pitch) <= kPitchTolerance * pitch;
    });
    // A box that is its glyph's own ink, not the engine's rough guess.
    const auto exact = [&](size_t i) {
        const QRect& box = glyphs.at(static_cast<qsizetype>(i)).box;
        return boxes[i].left == box.left() && boxes[i].right == box.right();
    };
    // The engine's box for a soft glyph enlarged from a 1x screen often takes in a column of
    // ground beside its ink; the ink inside is still the glyph's own.
    const auto nearlyExact = [&](size_t i) {
        const QRect& box = glyphs.at(static_cast<qsizetype>(i)).box;
        return boxes[i].left - box.left() <= 1 && box.right() - boxes[i].right <= 1;
    };
    size_t exactBoxes = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
        exactBoxes += exact(i) ? 1 : 0;
    }
    // The engine's own boxes are spread about evenly along a line in any font ("Customer
    // s.nguyen" in a serif font passed for monospace and lost its space); only glyphs on their own
    // ink show a monospace font.
    const bool onInk =
        static_cast<double>(exactBoxes) >= kGridShare * static_cast<double>(boxes.size());
    const bool narrowOnPitch = narrowSteps.size() >= static_cast<size_t>(kMinNarrowSteps) &&
                               median(narrowSteps) >= kNarrowStepShare * pitch;
    const bool monospace =
        !overlapping && pitch > 0 && steps.size() >= static_cast<size_t>(kMinSteps) && onInk &&
        (narrowOnPitch || onCellGrid(glyphs, boxes, pitch)) &&
        static_cast<double>(onPitch) >= kMonospaceShare * static_cast<double>(steps.size());
    const double digitPitch =
        digitSteps.size() >= static_cast<size_t>(kMinDigitSteps) ? median(digitSteps) : 0;
    const double baseline = median(bottoms);
    const double glyphHeight = median(heights);
    // In a proportional line the engine puts a space where the ink shows none ("ivan. berg@",
    // "fabrikam. io"): two glyphs on their own ink no further apart than the line's letters
    // (nine in ten of them) and than a small share of a glyph's height stand in one word.
    std::vector<double> letterGaps;
    for (size_t i = 1; i < boxes.size(); ++i) {
        if (!glyphs.at(static_cast<qsizetype>(i)).wordStart && exact(i - 1) && exact(i)) {
            letterGaps.push_back(boxes[i].left - boxes[i - 1].right - 1);
        }
    }
    double tightGap = -1;
    if (!monospace && letterGaps.size() >= static_cast<size_t>(kMinSteps)) {
        std::sort(letterGaps.begin(), letterGaps.end());
        tightGap = std::min(letterGaps[letterGaps.size() * 9 / 10], kTightGapHeight * glyphHeight);
    }
    const auto tight = [&](size_t i) {
        return exact(i - 1) && exact(i) && boxes[i].left - boxes[i - 1].right - 1 <= tightGap;
    };
    bool anyTight = false;
    for (size_t i = 1; i < boxes.size(); ++i) {
        anyTight = anyTight || (glyphs.at(static_cast<qsizetype>(i)).wordStart && tight(i));
    }
    if (!monospace && digitPitch <= 0 && !anyTight) {
        return line.text;
    }
    const int top = static_cast<int>(std::lround(baseline - 1.3 * glyphHeight));
    const int bottom = static_cast<int>(std::lround(baseline + 0.5 * glyphHeight));

    QString out = glyphs.first().text;
    for (size_t i = 1; i < boxes.size(); ++i) {
        const RecognizedGlyph& glyph = glyphs.at(static_cast<qsizetype>(i));
        if (!glyph.wordStart && digitPitch > 0 &&
            isDigit(glyphs.at(static_cast<qsizetype>(i) - 1).text) && isDigit(glyph.text) &&
            nearlyExact(i - 1) && nearlyExact(i) &&
            boxes[i].centre() - boxes[i - 1].centre() >= kDigitGapSteps * digitPitch) {
            // The engine lost the space between two groups of a number ("21477 8795").
            out += QLatin1Char(' ');
        } else if (glyph.wordStart && !monospace && joinsDigitGroups(glyphs, i)) {
            const double distance = boxes[i].centre() - boxes[i - 1].centre();
            if (distance >= kDigitSpaceSteps * digitPitch ||
                groundBetweenWords(glyphs, i, ink, top, bottom) >= kSpaceGapShare * digitPitch) {
                out += QLatin1Char(' ');
            }
        } else if (glyph.wordStart && !monospace) {
            if (!tight(i)) {
                out += QLatin1Char(' ');
            }
        } else if (glyph.wordStart) {
            const double left = boxes[i - 1].centre();
            const double right = boxes[i].centre();
            // Over the two glyphs' own rows: ink of a neighbouring line may reach into the image.
            const int gap =
                widestEmptyRun(ink, static_cast<int>(std::ceil(left)), static_cast<int>(right),
                               std::min(boxes[i - 1].top, boxes[i].top),
                               std::max(boxes[i - 1].bottom, boxes[i].bottom));
            if (right - left >= kSpaceSteps * pitch || gap >= kSpaceGapShare * pitch) {
                // A one-cell space holding a bar along the bottom is an underscore.
                const InkBox between = inkIn(ink, QRect(QPoint(boxes[i - 1].right + 1, top),
                                                        QPoint(boxes[i].left - 1, bottom)));
                const bool underscore = std::lround((right - left) / pitch) == 2 &&
                                        !between.empty() &&
                                        between.top >= baseline - 0.1 * glyphHeight &&
                                        between.bottom - between.top + 1 <= 0.25 * glyphHeight &&
                                        between.width() >= 0.5 * pitch;
                out += underscore ? QLatin1Char('_') : QLatin1Char(' ');
            }
        }
        out += glyph.text;
    }
    return out;
}

}  // namespace GlyphSpacing
