// velarion-ocr-bench-widgets LAYOUT_JSON TRUTH_JSON [Qt options, e.g. -platform xcb]
// Shows the windows LAYOUT_JSON describes as real top-level Qt widgets (tables, forms, a text
// editor, lists, buttons, menu bars) and, once they are laid out, writes every visible text line
// with its characters' edges in root-window pixels to TRUTH_JSON; then keeps the windows up until
// it is ended, so that render_qt.py can take the screenshot.

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

// The protected style options the widgets paint with, so the truth uses the same rectangles.
class Table : public QTableWidget {
public:
    using QTableWidget::initViewItemOption;
    using QTableWidget::QTableWidget;
};

class List : public QListWidget {
public:
    using QListWidget::initViewItemOption;
    using QListWidget::QListWidget;
};

class Entry : public QLineEdit {
public:
    using QLineEdit::cursorRect;
    using QLineEdit::initStyleOption;
    using QLineEdit::QLineEdit;
};

class Button : public QPushButton {
public:
    using QPushButton::initStyleOption;
    using QPushButton::QPushButton;
};

struct Window {
    QWidget* top = nullptr;
    QStringList tags;
    QList<QLabel*> labels;
    QList<Entry*> edits;
    QList<QPlainTextEdit*> notes;
    QList<Table*> tables;
    QList<List*> lists;
    QList<Button*> buttons;
    QMenuBar* menuBar = nullptr;
};

QPalette darkPalette() {
    QPalette p;
    const QColor window(0x2b, 0x2d, 0x30), text(0xe6, 0xe6, 0xe6), base(0x1e, 0x1f, 0x22);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0x26, 0x28, 0x2b));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x3a, 0x3d, 0x41));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(0x2f, 0x65, 0xca));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    p.setColor(QPalette::Light, QColor(0x4a, 0x4d, 0x52));
    p.setColor(QPalette::Midlight, QColor(0x40, 0x43, 0x47));
    p.setColor(QPalette::Mid, QColor(0x30, 0x32, 0x35));
    p.setColor(QPalette::Dark, QColor(0x20, 0x21, 0x23));
    p.setColor(QPalette::Shadow, Qt::black);
    return p;
}

QStringList strings(const QJsonValue& value) {
    QStringList out;
    for (const QJsonValue& v : value.toArray()) {
        out << v.toString();
    }
    return out;
}

// Nothing takes focus: a focused entry would draw a blinking cursor into the screenshot.
template <typename W>
W* noFocus(W* widget, const QFont& font) {
    widget->setFocusPolicy(Qt::NoFocus);
    widget->setFont(font);
    return widget;
}

Window build(const QJsonObject& spec, int scale) {
    Window w;
    w.tags = strings(spec.value(QStringLiteral("tags")));
    const QString kind = spec.value(QStringLiteral("kind")).toString();
    QFont font(spec.value(QStringLiteral("family")).toString());
    font.setPixelSize(spec.value(QStringLiteral("px")).toInt());
    font.setStyleHint(QFont::AnyStyle, QFont::PreferMatch);
    QFont titleFont = font;
    titleFont.setBold(true);

    auto* top = new QWidget(nullptr, spec.value(QStringLiteral("frameless")).toBool()
                                         ? Qt::Window | Qt::FramelessWindowHint
                                         : Qt::Window);
    w.top = top;
    top->setFont(font);
    top->setFocusPolicy(Qt::NoFocus);
    if (spec.value(QStringLiteral("dark")).toBool()) {
        top->setPalette(darkPalette());
    } else {
        top->setPalette(top->style()->standardPalette());
    }
    top->setAutoFillBackground(true);
    top->setGeometry(
        spec.value(QStringLiteral("x")).toInt(), spec.value(QStringLiteral("y")).toInt(),
        spec.value(QStringLiteral("w")).toInt(), spec.value(QStringLiteral("h")).toInt());

    auto* layout = new QVBoxLayout(top);
    layout->setContentsMargins(10 * scale, 6 * scale, 10 * scale, 10 * scale);
    layout->setSpacing(8 * scale);
    const QStringList menus = strings(spec.value(QStringLiteral("menus")));
    if (!menus.isEmpty()) {
        w.menuBar = noFocus(new QMenuBar(top), font);
        for (const QString& menu : menus) {
            w.menuBar->addMenu(menu);
        }
        layout->setMenuBar(w.menuBar);
    }
    auto* title =
        noFocus(new QLabel(spec.value(QStringLiteral("title")).toString(), top), titleFont);
    title->setTextFormat(Qt::PlainText);
    layout->addWidget(title);
    w.labels << title;

    if (kind == QLatin1String("table")) {
        const QStringList columns = strings(spec.value(QStringLiteral("columns")));
        const QJsonArray rows = spec.value(QStringLiteral("rows")).toArray();
        auto* table = noFocus(
            new Table(static_cast<int>(rows.size()), static_cast<int>(columns.size()), top), font);
        table->horizontalHeader()->setFont(font);
        table->setHorizontalHeaderLabels(columns);
        table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        table->horizontalHeader()->setHighlightSections(false);
        table->verticalHeader()->setVisible(false);
        table->setSelectionMode(QAbstractItemView::NoSelection);
        table->setAlternatingRowColors(spec.value(QStringLiteral("striped")).toBool());
        table->setShowGrid(spec.value(QStringLiteral("grid")).toBool());
        table->setWordWrap(false);
        for (int r = 0; r < rows.size(); ++r) {
            const QStringList cells = strings(rows.at(r));
            for (int c = 0; c < cells.size(); ++c) {
                table->setItem(r, c, new QTableWidgetItem(cells.at(c)));
            }
        }
        table->resizeColumnsToContents();
        table->resizeRowsToContents();
        layout->addWidget(table, 1);
        w.tables << table;
    } else if (kind == QLatin1String("list")) {
        auto* list = noFocus(new List(top), font);
        list->addItems(strings(spec.value(QStringLiteral("items"))));
        list->setSelectionMode(QAbstractItemView::NoSelection);
        list->setAlternatingRowColors(spec.value(QStringLiteral("striped")).toBool());
        list->setSpacing(spec.value(QStringLiteral("spacing")).toInt());
        layout->addWidget(list, 1);
        w.lists << list;
    } else if (kind == QLatin1String("note")) {
        auto* note = noFocus(new QPlainTextEdit(top), font);
        note->setPlainText(spec.value(QStringLiteral("text")).toString());
        note->setReadOnly(spec.value(QStringLiteral("read_only")).toBool());
        layout->addWidget(note, 1);
        w.notes << note;
    } else {
        // A profile form (filled entries) or a settings panel (label pairs).
        auto* form = new QFormLayout;
        form->setHorizontalSpacing(12 * scale);
        form->setVerticalSpacing(8 * scale);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        const bool entries = kind == QLatin1String("form");
        for (const QJsonValue& field : spec.value(QStringLiteral("fields")).toArray()) {
            const QStringList pair = strings(field);
            auto* label = noFocus(new QLabel(pair.at(0), top), font);
            label->setTextFormat(Qt::PlainText);
            w.labels << label;
            if (entries) {
                auto* edit = noFocus(new Entry(pair.at(1), top), font);
                edit->setCursorPosition(0);
                w.edits << edit;
                form->addRow(label, edit);
            } else {
                auto* value = noFocus(new QLabel(pair.at(1), top), font);
                value->setTextFormat(Qt::PlainText);
                w.labels << value;
                form->addRow(label, value);
            }
        }
        layout->addLayout(form);
        layout->addStretch(1);
    }

    const QStringList buttons = strings(spec.value(QStringLiteral("buttons")));
    if (!buttons.isEmpty()) {
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        for (const QString& text : buttons) {
            auto* button = noFocus(new Button(text, top), font);
            button->setAutoDefault(false);
            row->addWidget(button);
            w.buttons << button;
        }
        layout->addLayout(row);
    }
    return w;
}

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

}  // namespace

int main(int argc, char* argv[]) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication app(argc, argv);
    QApplication::setCursorFlashTime(0);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: velarion-ocr-bench-widgets LAYOUT_JSON TRUTH_JSON\n");
        return 2;
    }
    QFile in(args.at(0));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(0)));
        return 1;
    }
    const QJsonObject layout = QJsonDocument::fromJson(in.readAll()).object();
    const int scale = layout.value(QStringLiteral("scale")).toInt(1);

    // The desktop: one window under the others, the size of the screen.
    QWidget desktop(nullptr, Qt::Window | Qt::FramelessWindowHint);
    QPalette ground;
    ground.setColor(QPalette::Window, QColor(layout.value(QStringLiteral("desktop")).toString()));
    desktop.setPalette(ground);
    desktop.setAutoFillBackground(true);
    desktop.setGeometry(0, 0, layout.value(QStringLiteral("width")).toInt(),
                        layout.value(QStringLiteral("height")).toInt());
    desktop.show();
    // The truth is in device-independent pixels: with a scale factor it would not be the root's.
    if (desktop.devicePixelRatioF() != 1.0) {
        std::fprintf(stderr, "device pixel ratio %g: unset QT_SCALE_FACTOR and friends\n",
                     desktop.devicePixelRatioF());
        return 1;
    }

    QList<Window> windows;
    for (const QJsonValue& spec : layout.value(QStringLiteral("windows")).toArray()) {
        windows << build(spec.toObject(), scale);
        windows.last().top->show();
        windows.last().top->raise();
    }

    const QString truthPath = args.at(1);
    int status = 0;
    // Once the windows are mapped and laid out; the driver waits for this file, then for the
    // screen to stop changing.
    QTimer::singleShot(700, &app, [&]() {
        QFile out(truthPath + QStringLiteral(".part"));
        if (!out.open(QIODevice::WriteOnly)) {
            status = 1;
            QCoreApplication::exit(1);
            return;
        }
        out.write(QJsonDocument(truthOf(windows)).toJson());
        out.close();
        QFile::remove(truthPath);
        out.rename(truthPath);
    });
    const int result = QApplication::exec();
    for (Window& w : windows) {
        delete w.top;
    }
    return result ? result : status;
}
