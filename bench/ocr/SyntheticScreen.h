#pragma once

#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <random>
#include <utility>

// A synthetic desktop screenshot (2880×1800, a 1440×900 screen at 2×) with its ground truth: every
// line of text drawn, with its box and the sensitive strings the patterns find in its true text.
struct TruthLine {
    QString text;
    QRect box;
    // Categories the line belongs to (font kind, theme, window kind), for per-category scores.
    QStringList tags = {};
    // Left and right edge of each character of `text`, where the renderer measured them.
    QList<std::pair<int, int>> chars = {};
};

struct SyntheticScreen {
    QImage image;
    QList<TruthLine> lines;

    QJsonObject truthJson() const;
    static QList<TruthLine> linesFromJson(const QJsonObject& json);
};

// Draws screens: two to four windows side by side or stacked, light and dark, a chat window with
// coloured bubbles, sans, serif and monospaced fonts from 11 to 17 points at 2×, and sensitive
// strings (addresses, card, phone and social-security numbers) among ordinary text.
class SyntheticScreenGenerator {
public:
    explicit SyntheticScreenGenerator(unsigned seed);

    SyntheticScreen generate();

    // A line of ordinary or sensitive text, as the generator writes them.
    QString randomLine(bool sensitive);
    QString randomFontFamily();
    int randomPixelSize();

private:
    void drawWindow(SyntheticScreen& screen, const QRect& frame, bool dark, bool chat);
    QString randomSensitive();
    QString randomWords(int count);
    int uniform(int low, int high);

    std::mt19937 m_random;
};
