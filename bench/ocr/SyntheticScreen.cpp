#include "SyntheticScreen.h"

#include <QFont>
#include <QFontMetrics>
#include <QJsonArray>
#include <QPainter>
#include <QStringList>

namespace {

const QStringList kWords =
    QStringLiteral(
        "the meeting agenda project review budget update design team status report quarter "
        "plan draft notes client launch schedule feedback summary release roadmap issue "
        "deadline slides follow call today tomorrow please send final version shared folder "
        "marketing sales numbers growth hiring onboarding office travel invoice order total "
        "account settings profile message reply thread channel general random support weekly")
        .split(QLatin1Char(' '), Qt::SkipEmptyParts);
const QStringList kFirst = {QStringLiteral("john"),  QStringLiteral("anna"),
                            QStringLiteral("maria"), QStringLiteral("peter"),
                            QStringLiteral("li"),    QStringLiteral("sofia"),
                            QStringLiteral("omar"),  QStringLiteral("eva")};
const QStringList kLast = {QStringLiteral("novak"),  QStringLiteral("berg"),
                           QStringLiteral("garcia"), QStringLiteral("smith"),
                           QStringLiteral("chen"),   QStringLiteral("dubois")};
const QStringList kDomains = {QStringLiteral("example.com"), QStringLiteral("mail.example.org"),
                              QStringLiteral("corp.example.net"), QStringLiteral("example.io")};
const QStringList kFamilies = {
    QStringLiteral("DejaVu Sans"),      QStringLiteral("Liberation Sans"),
    QStringLiteral("DejaVu Serif"),     QStringLiteral("Liberation Serif"),
    QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")};

}  // namespace

QJsonObject SyntheticScreen::truthJson() const {
    QJsonArray array;
    for (const TruthLine& line : lines) {
        array.append(QJsonObject{{QStringLiteral("text"), line.text},
                                 {QStringLiteral("x"), line.box.x()},
                                 {QStringLiteral("y"), line.box.y()},
                                 {QStringLiteral("width"), line.box.width()},
                                 {QStringLiteral("height"), line.box.height()}});
    }
    return QJsonObject{{QStringLiteral("lines"), array}};
}

QList<TruthLine> SyntheticScreen::linesFromJson(const QJsonObject& json) {
    QList<TruthLine> lines;
    for (const QJsonValue& value : json.value(QStringLiteral("lines")).toArray()) {
        const QJsonObject o = value.toObject();
        QStringList tags;
        for (const QJsonValue& tag : o.value(QStringLiteral("tags")).toArray()) {
            tags << tag.toString();
        }
        QList<std::pair<int, int>> chars;
        for (const QJsonValue& span : o.value(QStringLiteral("chars")).toArray()) {
            chars.append({span.toArray().at(0).toInt(), span.toArray().at(1).toInt()});
        }
        lines.append(TruthLine{
            o.value(QStringLiteral("text")).toString(),
            QRect(o.value(QStringLiteral("x")).toInt(), o.value(QStringLiteral("y")).toInt(),
                  o.value(QStringLiteral("width")).toInt(),
                  o.value(QStringLiteral("height")).toInt()),
            tags, chars});
    }
    return lines;
}

SyntheticScreenGenerator::SyntheticScreenGenerator(unsigned seed)
    : m_random(seed) {}

int SyntheticScreenGenerator::uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(m_random);
}

QString SyntheticScreenGenerator::randomWords(int count) {
    QStringList words;
    for (int i = 0; i < count; ++i) {
        words << kWords.at(uniform(0, static_cast<int>(kWords.size()) - 1));
    }
    words[0][0] = words[0][0].toUpper();
    return words.join(QLatin1Char(' '));
}

QString SyntheticScreenGenerator::randomSensitive() {
    const auto digits = [this](int count) {
        QString s;
        for (int i = 0; i < count; ++i) {
            s += QChar(u'0' + uniform(0, 9));
        }
        return s;
    };
    const QString area = QString::number(uniform(201, 989));
    switch (uniform(0, 8)) {
        case 0:
        case 1: {
            const QString first = kFirst.at(uniform(0, static_cast<int>(kFirst.size()) - 1));
            const QString last = kLast.at(uniform(0, static_cast<int>(kLast.size()) - 1));
            const QString domain = kDomains.at(uniform(0, static_cast<int>(kDomains.size()) - 1));
            return uniform(0, 1)
                       ? first + QLatin1Char('.') + last + QLatin1Char('@') + domain
                       : first + QString::number(uniform(1, 99)) + QLatin1Char('@') + domain;
        }
        case 2:
            return QStringLiteral("4") + digits(15);
        case 3:
            return QStringLiteral("5") + QString::number(uniform(1, 5)) + digits(14);
        case 4:
            return QStringLiteral("3") + QString::number(uniform(0, 1) ? 4 : 7) + digits(13);
        case 5:
            return area + QLatin1Char('-') + digits(3) + QLatin1Char('-') + digits(4);
        case 6:
            return QLatin1Char('(') + area + QStringLiteral(") ") + digits(3) + QLatin1Char('-') +
                   digits(4);
        case 7:
            return QStringLiteral("+1 ") + area + QLatin1Char(' ') + digits(3) + QLatin1Char(' ') +
                   digits(4);
        default:
            return digits(3) + QLatin1Char('-') + digits(2) + QLatin1Char('-') + digits(4);
    }
}

QString SyntheticScreenGenerator::randomLine(bool sensitive) {
    if (!sensitive) {
        return randomWords(uniform(3, 8));
    }
    static const QStringList kLabels = {
        QStringLiteral("Contact:"), QStringLiteral("Reach me at"), QStringLiteral("Card on file"),
        QStringLiteral("Phone"),    QStringLiteral("SSN"),         QStringLiteral("Send to")};
    const QString label = kLabels.at(uniform(0, static_cast<int>(kLabels.size()) - 1));
    return uniform(0, 2) == 0 ? randomSensitive() + QLatin1Char(' ') + randomWords(uniform(1, 3))
                              : label + QLatin1Char(' ') + randomSensitive();
}

QString SyntheticScreenGenerator::randomFontFamily() {
    return kFamilies.at(uniform(0, static_cast<int>(kFamilies.size()) - 1));
}

int SyntheticScreenGenerator::randomPixelSize() {
    return 2 * uniform(11, 17);
}

void SyntheticScreenGenerator::drawWindow(SyntheticScreen& screen, const QRect& frame, bool dark,
                                          bool chat) {
    QPainter painter(&screen.image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QColor ground = dark ? QColor(uniform(24, 48), uniform(24, 48), uniform(28, 56))
                               : QColor(uniform(240, 255), uniform(240, 255), uniform(240, 255));
    const QColor ink = dark ? QColor(225, 225, 230) : QColor(uniform(0, 60), uniform(0, 60), 60);
    painter.fillRect(frame, ground);
    painter.fillRect(QRect(frame.topLeft(), QSize(frame.width(), 56)),
                     dark ? QColor(60, 60, 66) : QColor(222, 222, 226));

    QFont font(randomFontFamily());
    font.setPixelSize(randomPixelSize());
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.height() + uniform(8, 18);
    int y = frame.top() + 80;
    while (y + lineHeight < frame.bottom() - 20) {
        const bool sensitive = uniform(0, 4) == 0;
        QString text = randomLine(sensitive);
        int x = frame.left() + 30;
        const int maxWidth = frame.width() - 60 - (chat ? 120 : 0);
        while (metrics.horizontalAdvance(text) > maxWidth && text.contains(QLatin1Char(' '))) {
            text = text.left(text.lastIndexOf(QLatin1Char(' ')));
        }
        if (metrics.horizontalAdvance(text) > maxWidth) {
            y += lineHeight;
            continue;
        }
        const int width = metrics.horizontalAdvance(text);
        QColor textInk = ink;
        if (chat) {
            const bool mine = uniform(0, 1) == 1;
            const QColor bubble = mine ? QColor(10, 132, 255) : QColor(229, 229, 234);
            textInk = mine ? QColor(Qt::white) : QColor(Qt::black);
            x = mine ? frame.right() - 40 - width : frame.left() + 40;
            painter.setPen(Qt::NoPen);
            painter.setBrush(bubble);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.drawRoundedRect(QRect(x - 18, y - 8, width + 36, metrics.height() + 16), 18,
                                    18);
        }
        painter.setPen(textInk);
        painter.drawText(QPoint(x, y + metrics.ascent()), text);
        screen.lines.append(TruthLine{text, QRect(x, y, width, metrics.height())});
        y += lineHeight + (chat ? 20 : 0);
    }
}

SyntheticScreen SyntheticScreenGenerator::generate() {
    SyntheticScreen screen;
    screen.image = QImage(2880, 1800, QImage::Format_RGB32);
    screen.image.fill(QColor(uniform(40, 90), uniform(60, 110), uniform(100, 160)));
    {
        QPainter painter(&screen.image);
        painter.fillRect(QRect(0, 0, 2880, 50), QColor(236, 236, 236));
    }
    const int columns = uniform(2, 3);
    const int chatColumn = uniform(0, columns);  // == columns: no chat window
    const int columnWidth = (2880 - 40) / columns;
    for (int c = 0; c < columns; ++c) {
        const QRect frame(20 + c * columnWidth + 10, 80 + uniform(0, 60), columnWidth - 20,
                          1600 - uniform(0, 200));
        if (uniform(0, 2) == 0 && c != chatColumn) {
            // Two windows stacked in this column.
            const int split = frame.height() / 2;
            drawWindow(screen, QRect(frame.topLeft(), QSize(frame.width(), split - 10)),
                       uniform(0, 1) == 1, false);
            drawWindow(screen,
                       QRect(frame.left(), frame.top() + split + 10, frame.width(),
                             frame.height() - split - 10),
                       uniform(0, 1) == 1, false);
        } else {
            drawWindow(screen, frame, uniform(0, 1) == 1, c == chatColumn);
        }
    }
    return screen;
}
