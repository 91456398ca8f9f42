#include "ocr/ScreenGray.h"

#include <QColorSpace>

#include <cstdint>
#include <vector>

namespace ScreenGray {
namespace {

// Open addressing over a power-of-two table, at most half full; a screen with more distinct
// colours (a photograph) is left to Qt whole.
constexpr uint32_t kTableBits = 17;
constexpr uint32_t kTableSize = 1U << kTableBits;
constexpr size_t kMaxColours = kTableSize / 2;

constexpr int16_t kEmpty = -2;
constexpr int16_t kPending = -1;

class ColourTable {
public:
    ColourTable()
        : m_entries(kTableSize, Entry{0, kEmpty}) {}

    // The grey level of `colour`, or kPending when Qt has not converted it yet (it is then
    // queued); kEmpty when the table is full.
    int16_t level(uint32_t colour) {
        uint32_t index = (colour * 0x9E3779B1U) >> (32 - kTableBits);
        while (m_entries[index].level != kEmpty) {
            if (m_entries[index].colour == colour) {
                return m_entries[index].level;
            }
            index = (index + 1) & (kTableSize - 1);
        }
        if (m_count >= kMaxColours) {
            return kEmpty;
        }
        ++m_count;
        m_entries[index] = Entry{colour, kPending};
        m_pending.push_back(index);
        return kPending;
    }

    // Has Qt convert every queued colour, as one row of `format`.
    void convertPending(QImage::Format format, const QColorSpace& space) {
        QImage row(static_cast<int>(m_pending.size()), 1, format);
        row.setColorSpace(space);
        auto* pixels = reinterpret_cast<uint32_t*>(row.scanLine(0));
        for (size_t i = 0; i < m_pending.size(); ++i) {
            pixels[i] = m_entries[m_pending[i]].colour;
        }
        const QImage grey = row.convertToFormat(QImage::Format_Grayscale8);
        m_greySpace = grey.colorSpace();
        const uint8_t* levels = grey.constScanLine(0);
        for (size_t i = 0; i < m_pending.size(); ++i) {
            m_entries[m_pending[i]].level = levels[i];
        }
        m_pending.clear();
    }

    // The colour space Qt gives its grey images made from this screen.
    const QColorSpace& greySpace() const { return m_greySpace; }

private:
    struct Entry {
        uint32_t colour;
        int16_t level;
    };
    std::vector<Entry> m_entries;
    std::vector<uint32_t> m_pending;
    size_t m_count = 0;
    QColorSpace m_greySpace;
};

bool fourBytesAPixel(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

// Writes the levels of one row; false when a colour of it is still queued (its pixels then hold
// a placeholder) or the table is full (`full` set).
bool writeRow(ColourTable& table, const uint32_t* pixels, int width, uint8_t* levels, bool& full) {
    bool complete = true;
    uint32_t colour = ~pixels[0];
    uint8_t level = 0;
    for (int x = 0; x < width; ++x) {
        if (pixels[x] != colour) {
            colour = pixels[x];
            const int16_t found = table.level(colour);
            if (found == kEmpty) {
                full = true;
                return false;
            }
            complete = complete && found != kPending;
            level = found < 0 ? 0 : static_cast<uint8_t>(found);
        }
        levels[x] = level;
    }
    return complete;
}

}  // namespace

QImage of(const QImage& screenshot) {
    if (screenshot.format() == QImage::Format_Grayscale8 || screenshot.isNull()) {
        return screenshot;
    }
    if (!fourBytesAPixel(screenshot.format())) {
        return screenshot.convertToFormat(QImage::Format_Grayscale8);
    }
    ColourTable table;
    QImage out(screenshot.width(), screenshot.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < screenshot.height(); ++y) {
        const auto* pixels = reinterpret_cast<const uint32_t*>(screenshot.constScanLine(y));
        bool full = false;
        if (writeRow(table, pixels, screenshot.width(), out.scanLine(y), full)) {
            continue;
        }
        if (full) {
            return screenshot.convertToFormat(QImage::Format_Grayscale8);
        }
        // Most rows bring no new colour; one that does is written again once Qt has them.
        table.convertPending(screenshot.format(), screenshot.colorSpace());
        writeRow(table, pixels, screenshot.width(), out.scanLine(y), full);
    }
    out.setColorSpace(table.greySpace());
    out.setDotsPerMeterX(screenshot.dotsPerMeterX());
    out.setDotsPerMeterY(screenshot.dotsPerMeterY());
    return out;
}

}  // namespace ScreenGray
