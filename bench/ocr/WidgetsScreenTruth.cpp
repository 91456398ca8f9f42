#include "WidgetsScreenTruth.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>
#include <QStyleOptionViewItem>
#include <QTableWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace {

class Truth {
public:
    // One visual line: text and the x of each character boundary (text.size() + 1 of them) in
    // root pixels, its vertical extent, and the area of the screen the widget shows it in; not
    // whole when the widget elides or scrolls it.
    void add(const QString& text, const QList<qreal>& edges, qreal top, qreal height,
             const QRectF& visible, QStringList tags, bool whole = true) {
        int a = 0;
        int z = static_cast<int>(text.size());
        while (a < z && text.at(a).isSpace()) {
            ++a;
        }
        while (z > a && text.at(z - 1).isSpace()) {
            --z;
        }
        if (a == z) {
            return;
        }
        const QRectF box(edges.at(a), top, edges.at(z) - edges.at(a), height);
        if (!visible.intersects(box)) {
            return;
        }
        QJsonObject line;
        line[QStringLiteral("text")] = text.mid(a, z - a);
        line[QStringLiteral("visible")] =
            QJsonArray{visible.left(), visible.top(), visible.right(), visible.bottom()};
        // Partly hidden by its widget: the bench scores it neither way.
        if (!whole || !visible.adjusted(-0.5, -0.5, 0.5, 0.5).contains(box)) {
            const QRectF shown = visible.intersected(box);
            tags = QStringList{QStringLiteral("clipped")};
            line[QStringLiteral("box")] =
                QJsonArray{shown.left(), shown.top(), shown.width(), shown.height()};
        } else {
            QJsonArray chars;
            for (int i = a; i < z; ++i) {
                chars.append(QJsonArray{edges.at(i), edges.at(i + 1)});
            }
            line[QStringLiteral("chars")] = chars;
            line[QStringLiteral("box")] =
                QJsonArray{box.left(), box.top(), box.width(), box.height()};
        }
        line[QStringLiteral("tags")] = QJsonArray::fromStringList(tags);
        m_lines.append(line);
    }

    // Text a style draws with drawItemText / a QTextLayout from a point: the widget font's
    // advances of each prefix, from the text's origin.
    void addFromOrigin(const QString& text, const QFont& font, QPointF origin, qreal height,
                       const QRectF& visible, const QStringList& tags, bool whole = true) {
        const QFontMetricsF fm(font);
        QList<qreal> edges;
        for (int i = 0; i <= text.size(); ++i) {
            edges << origin.x() + fm.horizontalAdvance(text.left(i));
        }
        add(text, edges, origin.y(), height, visible, tags, whole);
    }

    QJsonArray lines() const { return m_lines; }

private:
    QJsonArray m_lines;
};

QRectF globalRect(const QWidget* widget, const QRect& rect) {
    return QRectF(widget->mapToGlobal(rect.topLeft()), rect.size());
}

// The tags name the family asked for: say so when fontconfig drew another one.
QStringList fontTags(const QStringList& tags, const QFont& font) {
    const QFontInfo info(font);
    if (info.family() != font.family()) {
        std::fprintf(stderr, "warning: font %s drawn as %s\n", qPrintable(font.family()),
                     qPrintable(info.family()));
    }
    return tags;
}

// QLabel draws plain text with QStyle::drawItemText in its contents rectangle.
void addLabel(Truth& truth, const QLabel* label, const QStringList& tags) {
    QRect contents = label->contentsRect();
    contents.adjust(label->margin(), label->margin(), -label->margin(), -label->margin());
    const QRect text = label->style()->itemTextRect(label->fontMetrics(), contents,
                                                    static_cast<int>(label->alignment()),
                                                    label->isEnabled(), label->text());
    truth.addFromOrigin(label->text(), label->font(), globalRect(label, text).topLeft(),
                        text.height(), globalRect(label, label->rect()),
                        fontTags(tags, label->font()));
}

// QLineEdit's cursor rectangle at each position: the control puts it 5 px left of the cursor's x
// (QWidgetLineControl::rectForPos), which is the boundary between two characters.
void addLineEdit(Truth& truth, Entry* edit, const QStringList& tags) {
    const QString text = edit->text();
    QList<qreal> edges;
    QRect first;
    for (int i = 0; i <= text.size(); ++i) {
        edit->setCursorPosition(i);
        const QRect cursor = edit->cursorRect();
        if (i == 0) {
            first = cursor;
        }
        edges << edit->mapToGlobal(QPoint(cursor.x() + 5, 0)).x();
    }
    // With the cursor at the end, the first character is no longer where it was: the entry
    // scrolled, the text does not fit and the later edges were taken scrolled.
    const bool scrolled =
        !text.isEmpty() && edit->cursorPositionAt(QPoint(first.x() + 5, first.center().y())) != 0;
    edit->setCursorPosition(0);
    QStyleOptionFrame opt;
    edit->initStyleOption(&opt);
    const QRect visible = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit);
    const qreal top = edit->mapToGlobal(first.topLeft()).y();
    // The cursor rectangle is one pixel taller than the text line.
    truth.add(text, edges, top, first.height() - 1, globalRect(edit, visible),
              fontTags(tags, edit->font()), !scrolled);
}

// Each visual line of the editor's layout; characters' edges from the cursor rectangle of each
// position, which the editor draws at the boundary left of that position's character.
void addNote(Truth& truth, QPlainTextEdit* note, const QStringList& tags) {
    const QWidget* viewport = note->viewport();
    const QRectF visible = globalRect(viewport, viewport->rect());
    const QFontMetricsF fm(note->font());
    for (QTextBlock block = note->document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        for (int l = 0; l < layout->lineCount(); ++l) {
            const QTextLine line = layout->lineAt(l);
            const QString text = block.text().mid(line.textStart(), line.textLength());
            QList<qreal> edges;
            QRect first;
            for (int i = 0; i <= text.size(); ++i) {
                QTextCursor cursor(note->document());
                cursor.setPosition(block.position() + line.textStart() + i);
                const QRect r = note->cursorRect(cursor);
                if (i == 0) {
                    first = r;
                }
                if (r.top() != first.top()) {
                    // The position past a wrapped line's last character starts the next line.
                    edges << edges.last() + fm.horizontalAdvance(text.at(i - 1));
                } else {
                    edges << viewport->mapToGlobal(r.topLeft()).x();
                }
            }
            truth.add(text, edges, viewport->mapToGlobal(first.topLeft()).y(), first.height(),
                      visible, fontTags(tags, note->font()));
        }
    }
}

// An item view draws an item's text with a QTextLayout in the style's text rectangle, less
// QCommonStyle's text margin, vertically centred.
template <typename View>
void addItem(Truth& truth, View* view, const QModelIndex& index, const QStringList& tags) {
    const QString text = index.data(Qt::DisplayRole).toString();
    QStyleOptionViewItem opt;
    view->initViewItemOption(&opt);
    opt.rect = view->visualRect(index);
    opt.text = text;
    opt.features |= QStyleOptionViewItem::HasDisplay;
    opt.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    opt.index = index;
    QStyle* style = view->style();
    QRect rect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, view);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    rect.adjust(margin, 0, -margin, 0);
    const QFontMetricsF fm(view->font());
    const qreal height = fm.height();
    const QPointF origin(rect.left(), rect.top() + (rect.height() - height) / 2);
    const QWidget* viewport = view->viewport();
    const QRectF visible =
        globalRect(viewport, viewport->rect()).intersected(globalRect(viewport, rect));
    const bool elided = fm.horizontalAdvance(text) > rect.width();
    truth.addFromOrigin(text, view->font(), QPointF(viewport->mapToGlobal(QPoint(0, 0))) + origin,
                        height, visible, fontTags(tags, view->font()), !elided);
}

// QHeaderView paints a section's label with drawItemText in the style's header label rectangle.
void addHeader(Truth& truth, QHeaderView* header, const QStringList& tags) {
    const QWidget* viewport = header->viewport();
    for (int section = 0; section < header->count(); ++section) {
        const QString text =
            header->model()->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
        QStyleOptionHeader opt;
        opt.initFrom(header);
        opt.rect = QRect(header->sectionViewportPosition(section), 0, header->sectionSize(section),
                         header->height());
        opt.section = section;
        opt.text = text;
        opt.textAlignment = header->defaultAlignment();
        opt.orientation = Qt::Horizontal;
        const QRect label = header->style()->subElementRect(QStyle::SE_HeaderLabel, &opt, header);
        const QRect rect = header->style()->itemTextRect(
            header->fontMetrics(), label, static_cast<int>(opt.textAlignment), true, text);
        truth.addFromOrigin(
            text, header->font(), globalRect(viewport, rect).topLeft(), rect.height(),
            globalRect(viewport, viewport->rect()).intersected(globalRect(viewport, opt.rect)),
            fontTags(tags, header->font()));
    }
}

void addButton(Truth& truth, Button* button, const QStringList& tags) {
    QStyleOptionButton opt;
    button->initStyleOption(&opt);
    const QRect contents =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
    const QRect rect = button->style()->itemTextRect(button->fontMetrics(), contents,
                                                     Qt::AlignCenter, true, button->text());
    truth.addFromOrigin(button->text(), button->font(), globalRect(button, rect).topLeft(),
                        rect.height(), globalRect(button, button->rect()),
                        fontTags(tags, button->font()));
}

// The menu bar's items are centred in their action geometry (QCommonStyle CE_MenuBarItem).
void addMenuBar(Truth& truth, QMenuBar* bar, const QStringList& tags) {
    for (QAction* action : bar->actions()) {
        const QRect item = bar->actionGeometry(action);
        const QRect rect = bar->style()->itemTextRect(bar->fontMetrics(), item, Qt::AlignCenter,
                                                      true, action->text());
        truth.addFromOrigin(action->text(), bar->font(), globalRect(bar, rect).topLeft(),
                            rect.height(), globalRect(bar, bar->rect()),
                            fontTags(tags, bar->font()));
    }
}

}  // namespace

QJsonObject truthOf(QList<Window>& windows) {
    Truth truth;
    for (Window& w : windows) {
        const auto with = [&w](const char* tag) {
            QStringList tags = w.tags;
            tags << QLatin1String(tag);
            return tags;
        };
        for (const QLabel* label : w.labels) {
            addLabel(truth, label, with("label"));
        }
        for (Entry* edit : w.edits) {
            addLineEdit(truth, edit, with("entry"));
        }
        for (QPlainTextEdit* note : w.notes) {
            addNote(truth, note, with("editor"));
        }
        for (Table* table : w.tables) {
            addHeader(truth, table->horizontalHeader(), with("table"));
            for (int r = 0; r < table->rowCount(); ++r) {
                for (int c = 0; c < table->columnCount(); ++c) {
                    addItem(truth, table, table->model()->index(r, c), with("table"));
                }
            }
        }
        for (List* list : w.lists) {
            for (int r = 0; r < list->count(); ++r) {
                addItem(truth, list, list->model()->index(r, 0), with("table"));
            }
        }
        for (Button* button : w.buttons) {
            addButton(truth, button, with("button"));
        }
        if (w.menuBar) {
            addMenuBar(truth, w.menuBar, with("menu"));
        }
    }
    QJsonObject out;
    out[QStringLiteral("lines")] = truth.lines();
    return out;
}
